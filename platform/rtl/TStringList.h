// Lists of strings with an object per line: the abstract TStrings, which
// every list of lines (memo lines, combo items, query SQL) offers, and
// TStringList, the stored, optionally sorted list.
//
// Indexes are 0-based. A bad index raises EStringListError
// "List index out of bounds (%d)".
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "SysUtils.h"
#include "TypInfo.h"

// Lines with an object per line and the text forms built on them (Text,
// CommaText, DelimitedText, NAME=value pairs). A descendant stores the lines
// by overriding Get, GetCount, Insert, Delete and, when it keeps objects,
// GetObject and PutObject.
class TStrings : public TPersistent {
  DECLARE_CLASS(TStrings, TPersistent)
public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  int Count() const { return GetCount(); }
  AnsiString Strings(int index) const { return Get(index); }
  AnsiString operator[](int index) const { return Get(index); }
  void SetStrings(int index, const AnsiString& s) { Put(index, s); }
  // The object of a line; a list that keeps no objects answers nullptr.
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* obj) { PutObject(index, obj); }

  // Answers the index of the new line (in a sorted list: where it went).
  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, TObject* obj);
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void InsertObject(int index, const AnsiString& s, TObject* obj);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int index1, int index2);
  // Takes the line (and its object) at curIndex and puts it at newIndex.
  virtual void Move(int curIndex, int newIndex);
  void AddStrings(const TStrings& strings);
  // Same lines in the same order, compared exactly; objects are not compared.
  bool Equals(const TStrings& strings) const;

  // -1 when absent. Lines are compared by CompareStrings.
  virtual int IndexOf(const AnsiString& s) const;
  int IndexOfName(const AnsiString& name) const;
  int IndexOfObject(const TObject* obj) const;

  // NAME=value lines. Names answers the part before the first '=' (empty
  // when the line has none); Values the part after it for the first line
  // of that name (empty when absent). Setting an empty value deletes the line.
  AnsiString Names(int index) const;
  AnsiString Values(const AnsiString& name) const;
  virtual void SetValues(const AnsiString& name, const AnsiString& value);
  // The value of the line at index; empty for a line without '='.
  AnsiString ValueFromIndex(int index) const;

  // Every line followed by CR LF. Setting splits at CR LF, LF or CR; a final
  // line break gives no empty last line.
  AnsiString Text() const;
  void SetText(const AnsiString& text);
  // The lines as items separated by Delimiter; see DelimitedText.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& text);
  // Writing quotes (with QuoteChar, doubled inside) an item that is empty or
  // holds a blank, a control character, the delimiter or the quote char.
  // Reading takes quoted items with doubled quotes; an unquoted item ends at
  // the delimiter or at a character <= ' ', so blanks separate items too.
  AnsiString DelimitedText() const;
  void SetDelimitedText(const AnsiString& text);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char c) { FDelimiter = c; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char c) { FQuoteChar = c; }

  // 8-bit text, lines ended with CR LF. Raise EFOpenError
  // "Cannot open file \"%s\". %s" and EFCreateError "Cannot create file \"%s\". %s".
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;

  // Change notices wait until the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Copies the lines and objects of any TStrings (Delimiter, QuoteChar and a
  // sorted list's own settings stay as they are).
  void Assign(const TPersistent& source) override;
  // Streams the lines as the list property "Strings" (not written when empty).
  void DefineProperties(TFiler& filer) override;

  // Answers <0, 0, >0; case-insensitive by the code page unless a descendant says otherwise.
  virtual int CompareStrings(const AnsiString& a, const AnsiString& b) const;

  // Runs change inside BeginUpdate/EndUpdate, ending the update also when it throws.
  template <class F> void Updating(F change) {
    BeginUpdate();
    try {
      change();
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }

protected:
  virtual AnsiString Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int index) const;
  virtual void Put(int index, const AnsiString& s);
  virtual void PutObject(int index, TObject* obj);
  // Called with true at the outermost BeginUpdate and false at its EndUpdate.
  virtual void SetUpdateState(bool updating);
  [[noreturn]] static void IndexError(int index);

private:
  AnsiString JoinItems(char delimiter, char quote) const;
  void SplitItems(const AnsiString& text, char delimiter, char quote);

  char FDelimiter = ',';
  char FQuoteChar = '"';
  int FUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringListItems;

// Answers <0, 0, >0 for the lines at index1 and index2.
using TStringListSortCompare = std::function<int(const class TStringList& list, int index1, int index2)>;

// The stored list. Sorted lists keep their order on every Add and find lines
// by binary search; Insert, SetStrings, Exchange and Move on them raise
// EStringListError "Operation not allowed on sorted list".
class TStringList : public TStrings {
  DECLARE_CLASS(TStringList, TStrings)
public:
  TStringList();
  ~TStringList() override;

  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* obj) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* obj) override;
  void Delete(int index) override;
  void Clear() override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  int IndexOf(const AnsiString& s) const override;
  // A sorted list moves a replaced line to its place.
  void SetValues(const AnsiString& name, const AnsiString& value) override;

  // Answers whether s is in the list and sets index to its first occurrence,
  // or to where it would be inserted. Binary search in a sorted list.
  bool Find(const AnsiString& s, int& index) const;
  // Sort orders by CompareStrings; both leave a Sorted list as it is.
  // Lines that compare equal keep their order.
  void Sort();
  void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool sorted);
  // What Add does with a line a sorted list already holds: dupIgnore answers
  // the existing index, dupAccept adds it after its equals, dupError raises
  // EStringListError "String list does not allow duplicates".
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates d) { FDuplicates = d; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool caseSensitive);
  // An owning list frees the objects of deleted, replaced and cleared lines.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool owns) { FOwnsObjects = owns; }

  int CompareStrings(const AnsiString& a, const AnsiString& b) const override;

  // Fired before and after each change, or once around an outermost
  // BeginUpdate/EndUpdate.
  TEvent<TObject*> OnChanging;
  TEvent<TObject*> OnChange;

protected:
  AnsiString Get(int index) const override;
  int GetCount() const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, TObject* obj) override;
  void SetUpdateState(bool updating) override;
  void Changing();
  void Changed();

private:
  void CheckIndex(int index, int limit) const;
  void CheckUnsorted() const;
  void InsertItem(int index, const AnsiString& s, TObject* obj);
  // The first index whose line sorts after s.
  int UpperBound(const AnsiString& s) const;
  void ReleaseObject(TObject* obj);
  void SortBy(const std::function<bool(int, int)>& less);

  std::unique_ptr<TStringListItems> FItems;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};
