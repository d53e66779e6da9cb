// The installed script host and the collected-components list.
#include "ScriptHost.h"

#include "ExprSupport.h"
#include "Process.h"

namespace {

std::unique_ptr<TScriptHost>& InstalledHost() {
  static std::unique_ptr<TScriptHost> host;
  return host;
}

TStrings*& CollectedList() {
  static TStrings* list = nullptr;
  return list;
}

constexpr const char* NoHost = "No report host";

}  // namespace

bool TScriptHost::RunProcess(const AnsiString& commandLine, bool wait, bool show) {
  return StartProcess(commandLine, wait, show).Started();
}

std::unique_ptr<TScriptHost> SetScriptHost(std::unique_ptr<TScriptHost> host) {
  std::swap(InstalledHost(), host);
  return host;
}

TScriptHost* ScriptHostOrNull() { return InstalledHost().get(); }

TScriptHost& ScriptHost() {
  if (!InstalledHost()) throw EExpression(NoHost);
  return *InstalledHost();
}

bool ScriptRunProcess(const AnsiString& commandLine, bool wait, bool show) {
  if (TScriptHost* host = ScriptHostOrNull()) return host->RunProcess(commandLine, wait, show);
  return StartProcess(commandLine, wait, show).Started();
}

void SetCollectedComponents(TStrings* list) { CollectedList() = list; }
TStrings* CollectedComponents() { return CollectedList(); }
