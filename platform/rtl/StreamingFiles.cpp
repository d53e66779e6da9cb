#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "CodePage.h"
#include "Streaming.h"

void WriteComponentFile(const AnsiString& path, TComponent* root) {
  const AnsiString text = ComponentToText(root);
  std::ofstream out(AnsiToUtf8(path), std::ios::binary | std::ios::trunc);
  if (out) out.write(text.data(), std::streamsize(text.size()));
  if (out) out.close();
  if (!out) throw EFCreateError(Format("Cannot create file \"%s\". %s", {path, std::strerror(errno)}));
}

void ReadComponentFile(const AnsiString& path, TComponent* root) {
  std::ifstream in(AnsiToUtf8(path), std::ios::binary);
  if (!in) throw EFOpenError(Format("Cannot open file \"%s\". %s", {path, std::strerror(errno)}));
  std::ostringstream text;
  text << in.rdbuf();
  ReadComponentFromText(text.str(), root);
}
