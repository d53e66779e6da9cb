#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "CodePage.h"
#include "TStringList.h"

namespace {

std::vector<AnsiString> Lines(const TStrings& list) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

void Fill(TStrings& list, const std::vector<AnsiString>& lines) {
  list.Clear();
  for (const auto& s : lines) list.Add(s);
}

AnsiString Show(const std::vector<AnsiString>& lines) {
  AnsiString out;
  for (const auto& s : lines) out += "[" + s + "]";
  return out;
}

template <class F> AnsiString MessageOf(F action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message;
  }
  return "(no exception)";
}

// A fresh directory under the system's temporary folder, removed afterwards.
class TTempDir {
public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "strlistXXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
  }
  ~TTempDir() { std::filesystem::remove_all(FPath); }
  const std::filesystem::path& Path() const { return FPath; }

private:
  std::filesystem::path FPath;
};

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets the code page for one test and puts the previous one back.
class TCodePageScope {
public:
  explicit TCodePageScope(TCodePage page) : FSaved(AnsiCodePage()) { SetAnsiCodePage(page); }
  ~TCodePageScope() { SetAnsiCodePage(FSaved); }

private:
  TCodePage FSaved;
};

TEST(TStringListTest, CommaTextReadsQuotedItemsAndBlanksAsSeparators) {
  struct Case {
    const char* text;
    std::vector<AnsiString> items;
  } cases[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"a b", {"a", "b"}},
      {"  a ,  b  ", {"a", "b"}},
      {"x\ty\r\nz", {"x", "y", "z"}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
      {"\"a,b\"", {"a,b"}},
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a", ""}},
      {"a, ", {"a", ""}},
      {"\"\"", {""}},
      {"", {}},
      {"   ", {}},
      {"\"ab\"c", {"ab", "c"}},
      {"a\"b", {"a\"b"}},
      {"\"open", {"open"}},
      {"Z\xFCrich,\xE9t\xE9", {"Z\xFCrich", "\xE9t\xE9"}},
  };
  TStringList list;
  for (const auto& c : cases) {
    list.SetCommaText(c.text);
    EXPECT_EQ(Show(Lines(list)), Show(c.items)) << "text: " << c.text;
  }
}

TEST(TStringListTest, CommaTextQuotesWhatWouldNotReadBackAndRoundTrips) {
  struct Case {
    std::vector<AnsiString> items;
    const char* text;
  } cases[] = {
      {{"a", "b"}, "a,b"},
      {{}, ""},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a,\"\",b"},
      {{"a b"}, "\"a b\""},
      {{"tab\there"}, "\"tab\there\""},
      {{"line\r\nbreak"}, "\"line\r\nbreak\""},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"x;y", "it's"}, "x;y,it's"},
      {{"\xFC\xE9"}, "\xFC\xE9"},
  };
  TStringList list, back;
  for (const auto& c : cases) {
    Fill(list, c.items);
    EXPECT_EQ(list.CommaText(), c.text) << "items: " << Show(c.items);
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(Show(Lines(back)), Show(c.items)) << "round trip of " << c.text;
  }
}

TEST(TStringListTest, DelimitedTextUsesDelimiterAndQuoteCharButCommaTextDoesNot) {
  TStringList list;
  list.SetDelimiter(';');
  list.SetQuoteChar('\'');
  list.SetDelimitedText("a;b c;'x;y';'it''s';\"q\"");
  EXPECT_EQ(Show(Lines(list)), Show({"a", "b", "c", "x;y", "it's", "\"q\""}));

  Fill(list, {"a", "x;y", "p,q", "it's", ""});
  EXPECT_EQ(list.DelimitedText(), "a;'x;y';p,q;'it''s';''");
  EXPECT_EQ(list.CommaText(), "a,x;y,\"p,q\",it's,\"\"");
  list.SetCommaText("u;v,w");
  EXPECT_EQ(Show(Lines(list)), Show({"u;v", "w"}));
}

TEST(TStringListTest, TextSplitsAtEveryKindOfLineBreak) {
  struct Case {
    const char* name;
    AnsiString text;
    std::vector<AnsiString> lines;
  } cases[] = {
      {"CR LF", "a\r\nb", {"a", "b"}},
      {"LF", "a\nb", {"a", "b"}},
      {"CR", "a\rb", {"a", "b"}},
      {"mixed", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"trailing break", "a\r\n", {"a"}},
      {"trailing empty line", "a\r\n\r\n", {"a", ""}},
      {"only a break", "\r\n", {""}},
      {"empty", "", {}},
      {"no break", "a b", {"a b"}},
      {"blanks kept", " a \t\n", {" a \t"}},
      {"NUL kept", AnsiString("a\0b", 3), {AnsiString("a\0b", 3)}},
  };
  TStringList list;
  for (const auto& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(Show(Lines(list)), Show(c.lines)) << c.name;
  }
  Fill(list, {"a", "", "b"});
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  list.Clear();
  EXPECT_EQ(list.Text(), "");
}

TEST(TStringListTest, NamesAndValues) {
  TStringList list;
  Fill(list, {"A=1", "b=2", "plain", "C==x", "=v"});
  EXPECT_EQ(list.Names(0), "A");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.ValueFromIndex(2), "");
  EXPECT_EQ(list.ValueFromIndex(3), "=x");
  EXPECT_EQ(list.Values("a"), "1");
  EXPECT_EQ(list.Values("B"), "2");
  EXPECT_EQ(list.Values("C"), "=x");
  EXPECT_EQ(list.Values("plain"), "");
  EXPECT_EQ(list.Values(""), "v");
  EXPECT_EQ(list.IndexOfName("c"), 3);
  EXPECT_EQ(list.IndexOfName("missing"), -1);

  list.SetValues("B", "3");    // replaced where it stands, under the new spelling
  list.SetValues("D", "4");    // appended
  list.SetValues("a", "");     // an empty value deletes the line
  list.SetValues("none", "");  // deleting an absent name is no error
  EXPECT_EQ(Show(Lines(list)), Show({"B=3", "plain", "C==x", "=v", "D=4"}));

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.Values("b"), "");
  EXPECT_EQ(list.IndexOfName("B"), 0);
}

TEST(TStringListTest, ValuesOfSortedListStaySorted) {
  TStringList vars;
  vars.SetSorted(true);
  vars.SetValues("Y", "1");
  vars.SetValues("X", "12");
  vars.SetValues("Y", "7");
  EXPECT_EQ(Show(Lines(vars)), Show({"X=12", "Y=7"}));

  // With duplicate names allowed, the replaced line moves behind its equals.
  TStringList dup;
  dup.SetDuplicates(dupAccept);
  dup.SetSorted(true);
  dup.Add("K=1");
  dup.Add("K=5");
  dup.SetValues("K", "9");
  EXPECT_EQ(Show(Lines(dup)), Show({"K=5", "K=9"}));
}

TEST(TStringListTest, SortedAddHonoursDuplicates) {
  struct Case {
    TDuplicates mode;
    std::vector<AnsiString> lines;
    int indexOfDuplicate;
  } cases[] = {
      {dupIgnore, {"a", "b", "c"}, 1},
      {dupAccept, {"a", "b", "B", "c"}, 2},
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetDuplicates(c.mode);
    list.SetSorted(true);
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(list.Add("c"), 2);
    EXPECT_EQ(list.Add("B"), c.indexOfDuplicate) << "mode " << c.mode;
    EXPECT_EQ(Show(Lines(list)), Show(c.lines)) << "mode " << c.mode;
  }

  TStringList strict;
  strict.SetDuplicates(dupError);
  strict.SetSorted(true);
  strict.Add("b");
  EXPECT_EQ(MessageOf([&] { strict.Add("B"); }), "String list does not allow duplicates");
  EXPECT_EQ(strict.Count(), 1);

  // Switching Sorted on sorts what is there, duplicates included.
  TStringList later;
  Fill(later, {"c", "a", "c", "b"});
  later.SetSorted(true);
  EXPECT_EQ(Show(Lines(later)), Show({"a", "b", "c", "c"}));
}

TEST(TStringListTest, FindAnswersFirstOccurrenceOrInsertPosition) {
  TStringList list;
  list.SetDuplicates(dupAccept);
  list.SetSorted(true);
  for (const char* s : {"d", "b", "b", "f", "b"}) list.Add(s);
  struct Case {
    const char* s;
    bool found;
    int index;
  } cases[] = {{"b", true, 0}, {"B", true, 0}, {"d", true, 3}, {"a", false, 0},
               {"c", false, 3}, {"e", false, 4}, {"z", false, 5}};
  for (const auto& c : cases) {
    int index = -1;
    EXPECT_EQ(list.Find(c.s, index), c.found) << c.s;
    EXPECT_EQ(index, c.index) << c.s;
  }
  EXPECT_EQ(list.IndexOf("F"), 4);
  EXPECT_EQ(list.IndexOf("c"), -1);

  TStringList unsorted;
  Fill(unsorted, {"q", "p"});
  int index = -1;
  EXPECT_TRUE(unsorted.Find("P", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(unsorted.Find("r", index));
  EXPECT_EQ(index, 2);
}

TEST(TStringListTest, CaseSensitivityFollowsCodePage) {
  TCodePageScope page(TCodePage::Windows1252);
  TStringList list;
  Fill(list, {"abc", "\xE9t\xE9"});
  EXPECT_EQ(list.IndexOf("ABC"), 0);
  EXPECT_EQ(list.IndexOf("\xC9T\xC9"), 1);  // accented capitals of the code page
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("ABC"), -1);
  EXPECT_EQ(list.IndexOf("\xC9T\xC9"), -1);
  EXPECT_EQ(list.IndexOf("abc"), 0);

  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Add("a");
  sorted.Add("B");
  EXPECT_EQ(sorted.Add("A"), 0);  // ignored: the same line without regard to case
  EXPECT_EQ(sorted.Count(), 2);
  sorted.SetCaseSensitive(true);
  sorted.Add("A");
  sorted.Add("b");
  EXPECT_EQ(Show(Lines(sorted)), Show({"a", "A", "b", "B"}));
}

TEST(TStringListTest, ChangeEventsFireOncePerChangeOrOutermostUpdate) {
  struct Case {
    const char* name;
    std::function<void(TStringList&)> change;
    int events;
  } cases[] = {
      {"Add", [](TStringList& l) { l.Add("d"); }, 1},
      {"Insert", [](TStringList& l) { l.Insert(1, "d"); }, 1},
      {"Delete", [](TStringList& l) { l.Delete(0); }, 1},
      {"SetStrings", [](TStringList& l) { l.SetStrings(0, "z"); }, 1},
      {"SetObjects", [](TStringList& l) { l.SetObjects(0, &l); }, 1},
      {"Exchange", [](TStringList& l) { l.Exchange(0, 2); }, 1},
      {"Move", [](TStringList& l) { l.Move(0, 2); }, 1},
      {"Clear", [](TStringList& l) { l.Clear(); }, 1},
      {"Clear of an empty list", [](TStringList& l) { l.Clear(); l.Clear(); }, 1},
      {"Sort", [](TStringList& l) { l.Sort(); }, 1},
      {"SetText", [](TStringList& l) { l.SetText("x\ny\nz\n"); }, 1},
      {"SetCommaText", [](TStringList& l) { l.SetCommaText("x,y"); }, 1},
      {"Assign", [](TStringList& l) { TStringList o; o.Add("x"); o.Add("y"); l.Assign(o); }, 1},
      {"AddStrings", [](TStringList& l) { l.AddStrings(l); }, 1},
      {"SetValues", [](TStringList& l) { l.SetValues("n", "v"); }, 1},
      {"nested update",
       [](TStringList& l) {
         l.BeginUpdate();
         l.BeginUpdate();
         l.Add("x");
         l.Delete(0);
         l.EndUpdate();
         l.Add("y");
         l.EndUpdate();
       },
       1},
      {"two changes", [](TStringList& l) { l.Add("x"); l.Add("y"); }, 2},
      {"IndexOf and Find", [](TStringList& l) { int i; l.IndexOf("a"); l.Find("b", i); }, 0},
  };
  for (const auto& c : cases) {
    TStringList list;
    Fill(list, {"c", "a", "b"});
    int changing = 0, changed = 0, countSeenByChanging = -1;
    list.OnChanging.Handler = [&](TObject* sender) {
      EXPECT_EQ(sender, &list);
      if (changing++ == 0) countSeenByChanging = list.Count();
    };
    list.OnChange.Handler = [&](TObject* sender) {
      EXPECT_EQ(sender, &list);
      EXPECT_EQ(changing, changed + 1) << c.name << ": OnChange without OnChanging first";
      ++changed;
    };
    c.change(list);
    EXPECT_EQ(changing, c.events) << c.name;
    EXPECT_EQ(changed, c.events) << c.name;
    if (c.events > 0) {
      EXPECT_EQ(countSeenByChanging, 3) << c.name << ": OnChanging after the change";
    }
  }
}

TEST(TStringListTest, UpdateEndsWhenChangeThrows) {
  TStringList list;
  list.SetDuplicates(dupError);
  list.SetSorted(true);
  int changed = 0;
  list.OnChange.Handler = [&](TObject*) { ++changed; };
  EXPECT_THROW(list.SetCommaText("a,b,a"), EStringListError);
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(changed, 1);
  list.Add("c");
  EXPECT_EQ(changed, 2);
}

TEST(TStringListTest, MoveAndExchangeCarryObjects) {
  TStringList a, b, c;
  TStringList list;
  list.AddObject("a", &a);
  list.AddObject("b", &b);
  list.AddObject("c", &c);
  auto objects = [&] {
    std::vector<TObject*> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(list.Objects(i));
    return v;
  };
  list.Move(0, 2);
  EXPECT_EQ(Show(Lines(list)), Show({"b", "c", "a"}));
  EXPECT_EQ(objects(), (std::vector<TObject*>{&b, &c, &a}));
  list.Move(2, 0);
  EXPECT_EQ(Show(Lines(list)), Show({"a", "b", "c"}));
  list.Exchange(0, 2);
  EXPECT_EQ(Show(Lines(list)), Show({"c", "b", "a"}));
  EXPECT_EQ(objects(), (std::vector<TObject*>{&c, &b, &a}));
  EXPECT_EQ(list.IndexOfObject(&b), 1);
  EXPECT_EQ(list.IndexOfObject(nullptr), -1);
}

TEST(TStringListTest, SortedListRefusesPositionalChanges) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"b", "a", "c"});
  const std::pair<const char*, std::function<void()>> refused[] = {
      {"Insert", [&] { list.Insert(0, "z"); }},
      {"SetStrings", [&] { list.SetStrings(0, "z"); }},
      {"Exchange", [&] { list.Exchange(0, 2); }},
      {"Move", [&] { list.Move(0, 2); }},
  };
  for (const auto& [name, action] : refused)
    EXPECT_EQ(MessageOf(action), "Operation not allowed on sorted list") << name;
  EXPECT_EQ(Show(Lines(list)), Show({"a", "b", "c"}));
}

TEST(TStringListTest, IndexErrorsNameTheIndex) {
  TStringList list;
  Fill(list, {"a", "b", "c"});
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { list.Strings(3); }, "List index out of bounds (3)"},
      {[&] { list.Strings(-1); }, "List index out of bounds (-1)"},
      {[&] { list.Objects(7); }, "List index out of bounds (7)"},
      {[&] { list.SetStrings(3, "x"); }, "List index out of bounds (3)"},
      {[&] { list.SetObjects(3, nullptr); }, "List index out of bounds (3)"},
      {[&] { list.Delete(3); }, "List index out of bounds (3)"},
      {[&] { list.Insert(4, "x"); }, "List index out of bounds (4)"},
      {[&] { list.Exchange(0, 3); }, "List index out of bounds (3)"},
      {[&] { list.Move(5, 0); }, "List index out of bounds (5)"},
      {[&] { list.Move(0, 3); }, "List index out of bounds (3)"},
      {[&] { list.Names(3); }, "List index out of bounds (3)"},
  };
  for (const auto& [action, message] : cases) {
    EXPECT_EQ(MessageOf(action), message);
    EXPECT_THROW(action(), EStringListError) << message;
  }
  list.Insert(3, "end");  // inserting at Count appends
  EXPECT_EQ(list.Strings(3), "end");
}

TEST(TStringListTest, OwningListFreesItsObjects) {
  struct TCounted : TObject {
    explicit TCounted(int& freed) : Freed(freed) {}
    ~TCounted() override { ++Freed; }
    int& Freed;
  };
  int freed = 0;
  {
    TStringList list;
    list.SetOwnsObjects(true);
    for (const char* s : {"a", "b", "c", "d"}) list.AddObject(s, new TCounted(freed));
    list.Delete(0);
    EXPECT_EQ(freed, 1);
    list.SetObjects(0, new TCounted(freed));  // the replaced object goes
    EXPECT_EQ(freed, 2);
    list.Move(0, 2);  // moving keeps it
    EXPECT_EQ(freed, 2);
    list.Clear();
    EXPECT_EQ(freed, 5);
    list.AddObject("e", new TCounted(freed));
  }
  EXPECT_EQ(freed, 6);

  TCounted kept(freed);
  {
    TStringList borrowing;
    borrowing.AddObject("k", &kept);
    borrowing.Delete(0);
    borrowing.AddObject("k", &kept);
  }
  EXPECT_EQ(freed, 6);
}

// A list of lines kept in a vector, to show that the base class works on any storage.
class TVectorStrings : public TStrings {
public:
  void Insert(int index, const AnsiString& s) override { FLines.insert(FLines.begin() + index, s); }
  void Delete(int index) override { FLines.erase(FLines.begin() + index); }
  void Clear() override { FLines.clear(); }

protected:
  AnsiString Get(int index) const override { return FLines.at(size_t(index)); }
  int GetCount() const override { return int(FLines.size()); }

private:
  std::vector<AnsiString> FLines;
};

TEST(TStringListTest, AssignCopiesLinesAndObjectsFromAnyStrings) {
  TVectorStrings memo;
  memo.SetText("b=2\r\na=1\r\n\"q\" x\r\n");
  EXPECT_EQ(memo.Values("a"), "1");
  EXPECT_EQ(memo.CommaText(), "b=2,a=1,\"\"\"q\"\" x\"");

  TStringList list;
  list.Add("old");
  list.Assign(memo);
  EXPECT_EQ(Show(Lines(list)), Show({"b=2", "a=1", "\"q\" x"}));
  EXPECT_TRUE(list.Equals(memo));
  EXPECT_TRUE(memo.Equals(list));

  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Assign(memo);  // a sorted target keeps its order
  EXPECT_EQ(Show(Lines(sorted)), Show({"\"q\" x", "a=1", "b=2"}));
  EXPECT_FALSE(sorted.Equals(list));

  TStringList withObject;
  withObject.AddObject("x", &memo);
  list.Assign(withObject);
  EXPECT_EQ(list.Objects(0), &memo);
  list.Assign(list);
  EXPECT_EQ(list.Count(), 1);

  memo.Assign(list);
  EXPECT_EQ(Show(Lines(memo)), Show({"x"}));

  TPersistent other;
  EXPECT_THROW(list.Assign(other), EConvertError);
}

TEST(TStringListTest, AddStringsOfItselfDoublesTheList) {
  TStringList list;
  Fill(list, {"a", "b"});
  list.AddStrings(list);
  EXPECT_EQ(Show(Lines(list)), Show({"a", "b", "a", "b"}));
}

TEST(TStringListTest, SortAndCustomSortAreStable) {
  TStringList list;
  Fill(list, {"bb", "B", "a", "ccc", "b", "A"});
  list.Sort();
  EXPECT_EQ(Show(Lines(list)), Show({"a", "A", "B", "b", "bb", "ccc"}));
  list.CustomSort([](const TStringList& l, int i, int j) {
    return int(l.Strings(j).size()) - int(l.Strings(i).size());
  });
  EXPECT_EQ(Show(Lines(list)), Show({"ccc", "bb", "a", "A", "B", "b"}));
}

// Large enough that the lines span many storage chunks.
TEST(TStringListTest, LargeListMatchesAPlainVectorModel) {
  std::mt19937 random(12345);
  TStringList plain;
  std::vector<AnsiString> model;
  for (int i = 0; i < 6000; ++i) {
    const size_t at = random() % (model.size() + 1);
    model.insert(model.begin() + ptrdiff_t(at), "n" + IntToStr(i));
    plain.Insert(int(at), model[at]);
  }
  for (int i = 0; i < 2500; ++i) {
    const size_t at = random() % model.size();
    model.erase(model.begin() + ptrdiff_t(at));
    plain.Delete(int(at));
  }
  for (int i = 0; i < 1500; ++i) {  // a block: whole chunks empty out
    model.erase(model.begin() + 500);
    plain.Delete(500);
  }
  for (int i = 0; i < 1000; ++i) {
    const size_t from = random() % model.size(), to = random() % model.size();
    const AnsiString s = model[from];
    model.erase(model.begin() + ptrdiff_t(from));
    model.insert(model.begin() + ptrdiff_t(to), s);
    plain.Move(int(from), int(to));
  }
  EXPECT_EQ(Lines(plain), model);
  TStringList copy;
  copy.SetText(plain.Text());
  EXPECT_TRUE(copy.Equals(plain));
}

TEST(TStringListTest, LargeSortedListStaysOrderedAndSearchable) {
  std::mt19937 random(54321);
  TStringList sorted;
  sorted.SetDuplicates(dupAccept);
  sorted.SetSorted(true);
  for (int i = 0; i < 20000; ++i) sorted.Add("k" + IntToStr(int64_t(random() % 5000)));
  for (int i = 0; i < 9000; ++i) sorted.Delete(int(random() % size_t(sorted.Count())));
  ASSERT_EQ(sorted.Count(), 11000);
  for (int i = 1; i < sorted.Count(); ++i)
    ASSERT_LE(sorted.CompareStrings(sorted[i - 1], sorted[i]), 0) << "at " << i;
  for (int i = 0; i < sorted.Count(); i += 97) {
    int index = -1;
    ASSERT_TRUE(sorted.Find(sorted[i], index));
    EXPECT_EQ(sorted[index], sorted[i]);
    EXPECT_TRUE(index == 0 || sorted[index - 1] != sorted[i]) << "not the first occurrence";
  }
}

TEST(TStringListTest, FileRoundTripKeepsBytesAndWritesCrLf) {
  TTempDir dir;
  const AnsiString fileName = dir.Path().string() + "/caf\xE9.txt";  // an ANSI name
  TStringList list;
  Fill(list, {"Z\xFCrich \x80 \xFF", "", "tab\there"});
  list.SaveToFile(fileName);
  const auto onDisk = dir.Path() / "caf\xC3\xA9.txt";  // the same name in UTF-8
  EXPECT_EQ(ReadBytes(onDisk), "Z\xFCrich \x80 \xFF\r\n\r\ntab\there\r\n");

  TStringList back;
  back.Add("replaced");
  back.LoadFromFile(fileName);
  EXPECT_EQ(Show(Lines(back)), Show(Lines(list)));

  std::ofstream(dir.Path() / "unix.txt", std::ios::binary) << "one\ntwo\rthree";
  back.LoadFromFile(dir.Path().string() + "/unix.txt");
  EXPECT_EQ(Show(Lines(back)), Show({"one", "two", "three"}));
}

TEST(TStringListTest, FileErrorsNameFileAndReason) {
  TTempDir dir;
  const AnsiString missing = dir.Path().string() + "/missing.txt";
  const AnsiString noDir = dir.Path().string() + "/no/such.txt";
  const AnsiString folder = dir.Path().string();
  TStringList list;
  list.Add("x");
  EXPECT_EQ(MessageOf([&] { list.LoadFromFile(missing); }),
            "Cannot open file \"" + missing + "\". " + std::strerror(ENOENT));
  EXPECT_THROW(list.LoadFromFile(missing), EFOpenError);
  EXPECT_EQ(MessageOf([&] { list.SaveToFile(noDir); }),
            "Cannot create file \"" + noDir + "\". " + std::strerror(ENOENT));
  EXPECT_THROW(list.SaveToFile(noDir), EFCreateError);
  EXPECT_EQ(MessageOf([&] { list.LoadFromFile(folder); }),
            "Cannot open file \"" + folder + "\". " + std::strerror(EISDIR));
  EXPECT_EQ(Show(Lines(list)), Show({"x"}));  // a failed load leaves the lines alone
}

TEST(TStringListTest, ClassesKnowTheirNames) {
  TStringList list;
  EXPECT_EQ(list.ClassName(), "TStringList");
  EXPECT_TRUE(list.InheritsFrom("tstrings"));
  EXPECT_TRUE(list.InheritsFrom(TPersistent::StaticClass()));
  EXPECT_EQ(TStrings::StaticClass().Parent(), &TPersistent::StaticClass());
}

}  // namespace
