// TStrings' list operations and the stored TStringList.
#include "TStringList.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted list";
const char* const SDuplicateString = "String list does not allow duplicates";

struct TStringItem {
  AnsiString S;
  TObject* Obj = nullptr;
};

}  // namespace

// The lines of a TStringList in chunks of a few hundred, so that inserting
// into the middle of a large sorted list moves a chunk, not the whole list.
class TStringListItems {
public:
  int Count() const { return FCount; }

  TStringItem& At(int index) {
    const size_t c = ChunkOf(index);
    return FChunks[c][size_t(index - FStarts[c])];
  }
  const TStringItem& At(int index) const { return const_cast<TStringListItems*>(this)->At(index); }

  void Insert(int index, TStringItem item) {
    if (FChunks.empty() || (index == FCount && FChunks.back().size() >= MaxChunk)) {
      FChunks.emplace_back();
      FStarts.push_back(FCount);
    }
    const size_t c = ChunkOf(index);
    auto& chunk = FChunks[c];
    chunk.insert(chunk.begin() + (index - FStarts[c]), std::move(item));
    ++FCount;
    ShiftStarts(c + 1, 1);
    if (chunk.size() > MaxChunk) Split(c);
  }

  TStringItem Take(int index) {
    const size_t c = ChunkOf(index);
    auto& chunk = FChunks[c];
    const auto at = chunk.begin() + (index - FStarts[c]);
    TStringItem item = std::move(*at);
    chunk.erase(at);
    --FCount;
    if (chunk.empty()) {
      FChunks.erase(FChunks.begin() + ptrdiff_t(c));
      FStarts.erase(FStarts.begin() + ptrdiff_t(c));
      ShiftStarts(c, -1);
    } else {
      ShiftStarts(c + 1, -1);
    }
    return item;
  }

  std::vector<TStringItem> TakeAll() {
    std::vector<TStringItem> all;
    all.reserve(size_t(FCount));
    for (auto& chunk : FChunks)
      for (auto& item : chunk) all.push_back(std::move(item));
    FChunks.clear();
    FStarts.clear();
    FCount = 0;
    return all;
  }

  void Assign(std::vector<TStringItem>&& all) {
    TakeAll();
    for (auto& item : all) Insert(FCount, std::move(item));
  }

private:
  static constexpr size_t MaxChunk = 512;

  // The chunk holding index; index == Count gives the last chunk.
  size_t ChunkOf(int index) const {
    if (FHint < FChunks.size() && index >= FStarts[FHint] &&
        index < FStarts[FHint] + int(FChunks[FHint].size()))
      return FHint;
    const auto after = std::upper_bound(FStarts.begin(), FStarts.end(), index);
    FHint = size_t(after - FStarts.begin()) - 1;
    return FHint;
  }

  void ShiftStarts(size_t from, int delta) {
    for (size_t c = from; c < FStarts.size(); ++c) FStarts[c] += delta;
  }

  void Split(size_t c) {
    auto& chunk = FChunks[c];
    const size_t half = chunk.size() / 2;
    std::vector<TStringItem> tail(std::make_move_iterator(chunk.begin() + ptrdiff_t(half)),
                                  std::make_move_iterator(chunk.end()));
    chunk.resize(half);
    const int tailStart = FStarts[c] + int(half);
    FChunks.insert(FChunks.begin() + ptrdiff_t(c + 1), std::move(tail));
    FStarts.insert(FStarts.begin() + ptrdiff_t(c + 1), tailStart);
  }

  std::vector<std::vector<TStringItem>> FChunks;
  std::vector<int> FStarts;  // index of each chunk's first line
  int FCount = 0;
  mutable size_t FHint = 0;  // last chunk used: sequential access stays O(1)
};

// ---------------------------------------------------------------------------
// TStrings: operations in terms of the descendant's storage

BEGIN_CLASS(TStrings) {}

void TStrings::IndexError(int index) { throw EStringListError(Format(SListIndexError, {index})); }

int TStrings::Add(const AnsiString& s) {
  const int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const AnsiString& s, TObject* obj) {
  const int index = Add(s);
  PutObject(index, obj);
  return index;
}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* obj) {
  Insert(index, s);
  PutObject(index, obj);
}

TObject* TStrings::GetObject(int /*index*/) const { return nullptr; }
void TStrings::PutObject(int /*index*/, TObject* /*obj*/) {}

void TStrings::Put(int index, const AnsiString& s) {
  TObject* obj = GetObject(index);
  Updating([&] {
    Delete(index);
    InsertObject(index, s, obj);
  });
}

void TStrings::Exchange(int index1, int index2) {
  const AnsiString s1 = Get(index1);
  TObject* const o1 = GetObject(index1);
  const AnsiString s2 = Get(index2);
  TObject* const o2 = GetObject(index2);
  Updating([&] {
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
  });
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  const AnsiString s = Get(curIndex);
  TObject* const obj = GetObject(curIndex);
  Updating([&] {
    Delete(curIndex);
    InsertObject(newIndex, s, obj);
  });
}

void TStrings::AddStrings(const TStrings& strings) {
  const int n = strings.Count();  // fixed first: a list may add itself
  Updating([&] {
    for (int i = 0; i < n; ++i) AddObject(strings.Get(i), strings.GetObject(i));
  });
}

bool TStrings::Equals(const TStrings& strings) const {
  const int n = Count();
  if (n != strings.Count()) return false;
  for (int i = 0; i < n; ++i)
    if (Get(i) != strings.Get(i)) return false;
  return true;
}

int TStrings::CompareStrings(const AnsiString& a, const AnsiString& b) const { return AnsiCompareText(a, b); }

int TStrings::IndexOf(const AnsiString& s) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const AnsiString& name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    const AnsiString line = Get(i);
    const size_t eq = line.find('=');
    if (eq != AnsiString::npos && CompareStrings(line.substr(0, eq), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

AnsiString TStrings::Names(int index) const {
  const AnsiString line = Get(index);
  const size_t eq = line.find('=');
  return eq == AnsiString::npos ? AnsiString() : line.substr(0, eq);
}

AnsiString TStrings::ValueFromIndex(int index) const {
  const AnsiString line = Get(index);
  const size_t eq = line.find('=');
  return eq == AnsiString::npos ? AnsiString() : line.substr(eq + 1);
}

AnsiString TStrings::Values(const AnsiString& name) const {
  const int index = IndexOfName(name);
  return index < 0 ? AnsiString() : ValueFromIndex(index);
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value) {
  const int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
  } else if (index < 0) {
    Add(name + "=" + value);
  } else {
    Put(index, name + "=" + value);
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool /*updating*/) {}

void TStrings::Assign(const TPersistent& source) {
  const auto* strings = dynamic_cast<const TStrings*>(&source);
  if (!strings) {
    TPersistent::Assign(source);
    return;
  }
  if (strings == this) return;
  Updating([&] {
    Clear();
    AddStrings(*strings);
  });
}

// ---------------------------------------------------------------------------
// TStringList

BEGIN_CLASS(TStringList) {}

TStringList::TStringList() : FItems(std::make_unique<TStringListItems>()) {}

TStringList::~TStringList() {
  OnChanging.Clear();
  OnChange.Clear();
  if (FOwnsObjects)
    for (auto& item : FItems->TakeAll()) ReleaseObject(item.Obj);
}

void TStringList::CheckIndex(int index, int limit) const {
  if (index < 0 || index >= limit) IndexError(index);
}

void TStringList::CheckUnsorted() const {
  if (FSorted) throw EStringListError(SSortedListError);
}

void TStringList::ReleaseObject(TObject* obj) {
  if (FOwnsObjects) delete obj;  // the list owns its objects
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) OnChanging(this);
  else OnChange(this);
}

int TStringList::GetCount() const { return FItems->Count(); }

AnsiString TStringList::Get(int index) const {
  CheckIndex(index, Count());
  return FItems->At(index).S;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index, Count());
  return FItems->At(index).Obj;
}

void TStringList::Put(int index, const AnsiString& s) {
  CheckUnsorted();
  CheckIndex(index, Count());
  Changing();
  FItems->At(index).S = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* obj) {
  CheckIndex(index, Count());
  Changing();
  TObject* const old = std::exchange(FItems->At(index).Obj, obj);
  if (old != obj) ReleaseObject(old);
  Changed();
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* obj) {
  Changing();
  FItems->Insert(index, TStringItem{s, obj});
  Changed();
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, TObject* obj) {
  int index = Count();
  if (FSorted && Find(s, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EStringListError(SDuplicateString);
    index = UpperBound(s);
  }
  InsertItem(index, s, obj);
  return index;
}

void TStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const AnsiString& s, TObject* obj) {
  CheckUnsorted();
  CheckIndex(index, Count() + 1);
  InsertItem(index, s, obj);
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count());
  Changing();
  ReleaseObject(FItems->Take(index).Obj);
  Changed();
}

void TStringList::Clear() {
  if (Count() == 0) return;
  Changing();
  for (auto& item : FItems->TakeAll()) ReleaseObject(item.Obj);
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckUnsorted();
  CheckIndex(index1, Count());
  CheckIndex(index2, Count());
  Changing();
  std::swap(FItems->At(index1), FItems->At(index2));
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  CheckUnsorted();
  CheckIndex(curIndex, Count());
  CheckIndex(newIndex, Count());
  if (curIndex == newIndex) return;
  Changing();
  FItems->Insert(newIndex, FItems->Take(curIndex));
  Changed();
}

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  return FCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  const int n = Count();
  if (!FSorted) {
    for (int i = 0; i < n; ++i)
      if (CompareStrings(FItems->At(i).S, s) == 0) return index = i, true;
    index = n;
    return false;
  }
  int lo = 0, hi = n;  // first line not below s
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (CompareStrings(FItems->At(mid).S, s) < 0) lo = mid + 1;
    else hi = mid;
  }
  index = lo;
  return lo < n && CompareStrings(FItems->At(lo).S, s) == 0;
}

int TStringList::UpperBound(const AnsiString& s) const {
  int lo = 0, hi = Count();
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (CompareStrings(FItems->At(mid).S, s) <= 0) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

int TStringList::IndexOf(const AnsiString& s) const {
  int index = -1;
  return Find(s, index) ? index : -1;
}

void TStringList::SetValues(const AnsiString& name, const AnsiString& value) {
  const int index = IndexOfName(name);
  if (!FSorted || value.empty() || index < 0) {
    TStrings::SetValues(name, value);
    return;
  }
  Changing();
  TStringItem item = FItems->Take(index);
  item.S = name + "=" + value;
  const int at = UpperBound(item.S);
  FItems->Insert(at, std::move(item));
  Changed();
}

void TStringList::SortBy(const std::function<bool(int, int)>& less) {
  const int n = Count();
  if (n < 2) return;
  Changing();
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), less);
  std::vector<TStringItem> all = FItems->TakeAll();
  std::vector<TStringItem> sorted;
  sorted.reserve(all.size());
  for (int i : order) sorted.push_back(std::move(all[size_t(i)]));
  FItems->Assign(std::move(sorted));
  Changed();
}

void TStringList::Sort() {
  if (FSorted) return;
  SortBy([this](int a, int b) { return CompareStrings(FItems->At(a).S, FItems->At(b).S) < 0; });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (FSorted) return;
  SortBy([this, &compare](int a, int b) { return compare(*this, a, b) < 0; });
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == FSorted) return;
  if (sorted) Sort();
  FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive == FCaseSensitive) return;
  FCaseSensitive = caseSensitive;
  if (FSorted) {
    FSorted = false;
    Sort();
    FSorted = true;
  }
}
