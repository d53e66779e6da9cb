// Property access by name: resolving dotted paths such as QRLabel1.Font.Size
// to an object and a published property, classifying properties into edit
// kinds, and converting their values to and from text. Used by the script
// language, the object inspector and the editors.
#pragma once

#include <cstdint>
#include <memory>

#include "Classes.h"
#include "TStringList.h"

class TForm;

// Edit kinds of a described property.
enum : int16_t {
  pkNone = 0, pkString = 1, pkInteger = 2, pkFloat = 3, pkBoolean = 4, pkChar = 5, pkEnum = 6,
  pkColor = 7, pkCursor = 8, pkSet = 9, pkObject = 10, pkModalResult = 11, pkDatabaseName = 12,
  pkIndexFieldNames = 13, pkTableName = 14, pkLookupField = 15, pkIndexName = 16
};
// What an object property holds (for pkObject).
enum : int16_t {
  ckPlain = 0, ckFont = 1, ckIcon = 2, ckBitmap = 3, ckStrings = 4, ckDataSet = 5, ckDataSource = 6,
  ckPicture = 7, ckComponent = 30
};

// The description of one property: how it is edited and its value as text.
class TEProperty : public TObject {
  DECLARE_CLASS(TEProperty, TObject)
public:
  int16_t Kind = pkNone;
  int16_t ClassKind = ckPlain;
  int16_t MaxLen = 0;  // 0: no limit
  int32_t MinValue = 0;
  int32_t MaxValue = 0;
  TObject* ObjValue = nullptr;
  AnsiString Value;
  const TTypeInfo* PropType = nullptr;  // for a set, its element type
  AnsiString TypeName;
};

// Module state.
// What the form argument SELF (or an empty one) stands for; "A_reportForm" at start.
AnsiString& DefaultFormName();
// The kind of the property that GetPropText last read.
int16_t LastPropKind();
// "mrNone" ... "mrNo", in value order.
const std::vector<AnsiString>& ModalResultNames();

// ---------------------------------------------------------------------------
// Front operations: a path and a form argument ("SELF" or empty for the
// default form, else the name of a form owned by the application).

// The property's text; a missing form or object is reported in a message box.
AnsiString GetPropText(const AnsiString& path, const AnsiString& formName);
// Conversion errors (integers, floats) are raised to the caller.
void SetPropText(const AnsiString& path, const AnsiString& value, const AnsiString& formName);
// True when the path ends in a published property of an object that is not a form.
bool PropExists(const AnsiString& path, const AnsiString& formName);
bool CompExists(const AnsiString& namePath, const AnsiString& formName);
AnsiString CompClassName(const AnsiString& namePath, const AnsiString& formName);
TComponent* FindCompByPath(const AnsiString& namePath, const AnsiString& formName);
// The object that owns the member named by the path; path is left holding
// the member name and formName the start form's name. On failure nil, with
// the path emptied, or its last "." turned into ">" when a dotted remainder
// names no property.
TObject* ResolveMember(AnsiString& path, AnsiString& formName);

// ---------------------------------------------------------------------------
// Listing, description and choices (object inspector, editors).

// Rows named prefix + property name, each with its TEProperty (owned by the
// list); an expanded object's rows follow their parent row. An empty prefix
// makes a new list (none when the object has no listed properties).
int ListProps(TObject* obj, std::unique_ptr<TStringList>& rows, const AnsiString& prefix);
void DescribeProp(TObject* obj, const AnsiString& propName, TEProperty& prop);
// False only for a nil descriptor.
bool GetPropChoices(const TEProperty* prop, TStrings& list);
// A component named by "Name" (of root) or "Form.Name" (of that application form).
TComponent* FindCompRef(TComponent* root, const AnsiString& text);
// Never fails: a nil object or any error gives nullptr.
const TPropInfo* FindPropInfo(const TObject* obj, const AnsiString& propName);
// Whether some component on some form of the application has this class or an ancestor of it.
bool IsComponentClass(const AnsiString& typeName);

// ---------------------------------------------------------------------------
// Low-level accessors: walk the sub-objects of the path, then act on the last
// name when it is a published property. Writes answer whether it was found.

AnsiString ReadStrPropByPath(TObject* obj, const AnsiString& path);
uint8_t ReadOrdPropByteByPath(TObject* obj, const AnsiString& path);
bool WriteStrPropByPath(TObject* obj, const AnsiString& path, const AnsiString& value);
bool WriteOrdPropByPath(TObject* obj, const AnsiString& path, int32_t value);
bool WriteBoolPropByPath(TObject* obj, const AnsiString& path, bool value);
bool WriteFloatPropByPath(TObject* obj, const AnsiString& path, double value);
// "[a,b]": pieces are matched without trimming; unknown names are skipped.
bool SetSetText(TObject* obj, const AnsiString& path, const AnsiString& text);

// ---------------------------------------------------------------------------
// Inner steps, public for the editors and the script.

// Text of the property at the path (sub-objects walked); sets LastPropKind.
AnsiString ReadPropText(TObject* obj, const AnsiString& path);
// Converts text by the property's edit kind and writes it.
void WritePropText(TObject* obj, const AnsiString& path, const AnsiString& text);
// Resolves the object part of a path, leaving the property part in path.
TObject* ResolvePath(TForm*& startForm, AnsiString& path, bool deep);
// Follows the object-valued properties named before the last "."; nil and
// an empty path when one of them is missing or holds nothing.
void WalkSubObjects(TObject*& obj, AnsiString& path);
