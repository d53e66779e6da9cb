// Form files: the readable text form of a component tree.
//
//   object Form1: TForm1
//     Caption = 'Report designer'
//     Font.Size = 10
//     object Q1: TQuery
//       SQL.Strings = (
//         'select * from customer')
//     end
//   end
//
// Only stored properties that differ from their default are written. Writing
// is deterministic, so write -> read -> write gives identical bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "SysUtils.h"

// Every reading error is an EReadError "Line <n>: <text>" with one of these texts.
namespace StreamMsg {
inline constexpr const char* LinePrefix = "Line %d: %s";
inline constexpr const char* ClassNotFound = "Class %s not found";
inline constexpr const char* RootClassMismatch = "Class %s does not match the root class %s";
inline constexpr const char* PropertyNotFound = "Property %s does not exist";
inline constexpr const char* PropertyReadOnly = "Property %s is read-only";
inline constexpr const char* InvalidValue = "Invalid property value";
inline constexpr const char* UnterminatedString = "Unterminated string";
inline constexpr const char* InvalidBinary = "Invalid binary value";
inline constexpr const char* InvalidChar = "Invalid character %s";
inline constexpr const char* Expected = "%s expected";
inline constexpr const char* ComponentNotFound = "Component %s not found";
inline constexpr const char* EndOfFileExpected = "End of file expected";
}  // namespace StreamMsg

struct TReadSession;

// Writes values in form-file syntax. Published properties are written by
// WriteComponent; DefineProperties callbacks use the value writers below.
class TWriter : public TFiler {
public:
  // root names the component references and owns the event handlers.
  explicit TWriter(TComponent* root);
  ~TWriter() override;

  // Writes `object Name: TClass`, its properties, its children and `end`.
  void WriteComponent(TComponent* component);

  // Values, valid while a property value or a list item is expected.
  void WriteListBegin();
  void WriteListEnd();
  void WriteString(const AnsiString& value);
  void WriteInteger(int64_t value);
  void WriteFloat(double value);
  void WriteBoolean(bool value);
  void WriteIdent(const AnsiString& ident);
  void WriteBinary(const std::string& bytes);

  void DefineProperty(const AnsiString& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, const std::function<void(const std::string&)>& readData,
                            const std::function<std::string()>& writeData, bool hasData) override;

  TComponent* Root() const { return FRoot; }
  // The text written so far.
  const AnsiString& Text() const { return FText; }

private:
  void WriteProperties(TObject* obj, const AnsiString& prefix);
  void WriteProperty(TObject* obj, const TPropInfo* prop, const AnsiString& prefix);
  void WriteSubObject(TObject* sub, const AnsiString& path);
  void WritePropertyName(const AnsiString& name);
  void BeginValue();
  void Indent(int level);
  AnsiString ReferenceName(const TComponent* component) const;

  TComponent* FRoot;
  AnsiString FText;
  AnsiString FPrefix;  // dotted path of the object whose DefineProperties runs
  int FLevel = 0;      // nesting depth of the current object
  int FListDepth = 0;
};

// Reads values in form-file syntax for DefineProperties callbacks, and whole
// components through ReadComponentFromText and its relatives.
class TReader : public TFiler {
public:
  ~TReader() override;
  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  void ReadListBegin();
  bool EndOfList();
  void ReadListEnd();
  AnsiString ReadString();
  int64_t ReadInteger();
  double ReadFloat();
  bool ReadBoolean();
  AnsiString ReadIdent();
  std::string ReadBinary();

  void DefineProperty(const AnsiString& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, const std::function<void(const std::string&)>& readData,
                            const std::function<std::string()>& writeData, bool hasData) override;

  TComponent* Root() const;
  // The line of the token being read, for messages.
  int Line() const;
  // Raises EReadError "Line <n>: message".
  [[noreturn]] void Error(const AnsiString& message) const;

private:
  friend struct TReadSession;
  explicit TReader(TReadSession& session);
  TReadSession& FSession;
  AnsiString FDefinedName;  // the non-published property being looked up
  bool FDefinedFound = false;
};

// The text of root and everything GetChildren streams inside it.
AnsiString ComponentToText(TComponent* root);
// Reads text into an existing root: its properties are set and its children
// created. A child whose name is already taken raises EReadError.
void ReadComponentFromText(const AnsiString& text, TComponent* root);
// Creates the root from the class named in the text, owned by owner. The
// caller owns the result when owner is nullptr.
TComponent* CreateComponentFromText(const AnsiString& text, TComponent* owner);

// Several components of one owner, one `object` block after another; their
// references and events are named relative to their owner.
AnsiString ComponentsToText(const std::vector<TComponent*>& components);
// Reads such blocks as new components of owner and answers them in order.
std::vector<TComponent*> ReadComponentsFromText(const AnsiString& text, TComponent* owner);

// The same as files: 8-bit text in the ANSI code page, the path converted to
// UTF-8 for the file system. Raise EFCreateError / EFOpenError.
void WriteComponentFile(const AnsiString& path, TComponent* root);
void ReadComponentFile(const AnsiString& path, TComponent* root);
