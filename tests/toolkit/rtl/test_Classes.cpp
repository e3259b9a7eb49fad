// Streams and string lists.
#include <gtest/gtest.h>

#include "Classes.h"
#include "SysUtils.h"
#include "TestSupport.h"

namespace {

TEST(StringList, FileRoundTripWritesCrLf) {
  testsupport::TempDir dir;
  TStringList list;
  list.Add("first");
  list.Add("");
  list.Add("third; with text");
  list.SaveToFile("list.txt");
  EXPECT_EQ(dir.read("list.txt"), "first\r\n\r\nthird; with text\r\n");
  TStringList back;
  back.LoadFromFile("list.txt");
  EXPECT_EQ(back.ToVector(), list.ToVector());

  list.LineBreak = "\n";
  list.SaveToFile("lf.txt");
  EXPECT_EQ(dir.read("lf.txt"), "first\n\nthird; with text\n");

  dir.write("mixed.txt",
            "a\r\nb\nc\rd\x1a"
            "ignored");
  back.LoadFromFile("mixed.txt");
  EXPECT_EQ(back.ToVector(), (std::vector<String>{"a", "b", "cd"}));
  EXPECT_THROW(back.LoadFromFile("missing.txt"), EFOpenError);
  EXPECT_THROW(list.SaveToFile("no/such/dir/x.txt"), EFCreateError);
}

TEST(StringList, EditingAndIndexErrors) {
  TStringList l;
  l.Add("b");
  l.Insert(0, "a");
  l.Add("c");
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l[0], "a");
  EXPECT_EQ(l.Strings(2), "c");
  l.Put(1, "B");
  EXPECT_EQ(l.IndexOf("b"), 1);  // ignores case by default
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("b"), -1);
  l.Delete(0);
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"B", "c"}));
  l.Exchange(0, 1);
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"c", "B"}));
  l.Move(0, 1);
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"B", "c"}));
  EXPECT_THROW(l.Get(2), EListError);
  EXPECT_THROW(l.Delete(-1), EListError);
  EXPECT_THROW(l.Insert(5, "x"), EListError);
  l.Ref(0) += "!";
  EXPECT_EQ(l[0], "B!");
  EXPECT_EQ(l.Text(), "B!\r\nc\r\n");
  l.SetText("x\ny");
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"x", "y"}));
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, SortedWithDuplicates) {
  TStringList l;
  l.SetSorted(true);
  l.Add("pear");
  l.Add("Apple");
  l.Add("fig");
  EXPECT_EQ(l.Add("apple"), 0);  // dupIgnore: the existing index
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"Apple", "fig", "pear"}));
  EXPECT_THROW(l.Insert(0, "x"), EListError);
  l.Duplicates = dupError;
  EXPECT_THROW(l.Add("FIG"), EListError);
  l.Duplicates = dupAccept;
  l.Add("FIG");
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"Apple", "fig", "FIG", "pear"}));
  int idx = -1;
  EXPECT_TRUE(l.Find("Fig", idx));
  EXPECT_EQ(idx, 1);
  EXPECT_FALSE(l.Find("kiwi", idx));
  EXPECT_EQ(idx, 3);

  TStringList u;
  u.Add("b2");
  u.Add("a");
  u.Add("B1");
  u.CustomSort([](TStringList* s, int i, int j) { return CompareStr(s->Get(i), s->Get(j)); });
  EXPECT_EQ(u.ToVector(), (std::vector<String>{"B1", "a", "b2"}));
}

TEST(StringList, DelimitedCommaTextAndValues) {
  TStringList l;
  l.SetCommaText("a, \"b c\",\"d\"\"e\",,last");
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"a", "b c", "d\"e", "", "last"}));
  EXPECT_EQ(l.CommaText(), "a,\"b c\",\"d\"\"e\",,last");
  TStringList d;
  d.Delimiter = ';';
  d.StrictDelimiter = true;
  d.SetDelimitedText("x y;z;");
  EXPECT_EQ(d.ToVector(), (std::vector<String>{"x y", "z", ""}));
  TStringList v;
  v.Add("Name=Kestal");
  v.Add("Mode=1");
  EXPECT_EQ(v.Values("mode"), "1");
  EXPECT_EQ(v.Names(0), "Name");
  v.SetValue("Mode", "2");
  v.SetValue("New", "x");
  EXPECT_EQ(v.ToVector(), (std::vector<String>{"Name=Kestal", "Mode=2", "New=x"}));
  v.SetValue("Name", "");
  EXPECT_EQ(v.IndexOfName("Name"), -1);
}

TEST(StringList, ChangeEventsAndAssign) {
  TStringList l;
  int changes = 0;
  l.OnChange = [&](TObject*) { ++changes; };
  l.Add("a");
  EXPECT_EQ(changes, 1);
  l.BeginUpdate();
  l.Add("b");
  l.Add("c");
  l.Delete(0);
  EXPECT_EQ(changes, 1);
  l.EndUpdate();
  EXPECT_EQ(changes, 2);
  l.SetText("1\n2\n3");
  EXPECT_EQ(changes, 3);

  TStringList copy;
  copy.Add("old");
  copy.Assign(&l);
  EXPECT_EQ(copy.ToVector(), (std::vector<String>{"1", "2", "3"}));
  TPersistent other;
  EXPECT_THROW(copy.Assign(&other), EAssignError);
}

TEST(StringList, OwnedObjectsAreFreed) {
  static int alive = 0;
  struct Counted : TObject {
    Counted() { ++alive; }
    ~Counted() override { --alive; }
  };
  {
    TStringList l;
    l.OwnsObjects = true;
    l.AddObject("a", new Counted);
    l.AddObject("b", new Counted);
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(l.IndexOfObject(l.Objects(1)), 1);
    l.Delete(0);
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
}

TEST(FileStream, BufferedByteAccessReadsBackWhatWasWritten) {
  testsupport::TempDir dir;
  {
    TFileStream f("s.bin", fmCreate);
    for (int i = 0; i < 200000; ++i) {
      Byte b = static_cast<Byte>(i * 7);
      f.WriteBuffer(&b, 1);
    }
    EXPECT_EQ(f.Size(), 200000);
    EXPECT_EQ(f.Position(), 200000);
  }
  EXPECT_EQ(testsupport::ReadFileBytes("s.bin").size(), 200000u);
  TFileStream f("s.bin", fmOpenRead | fmShareDenyWrite);
  for (int i = 0; i < 200000; ++i) {
    Byte b = 0;
    ASSERT_EQ(f.Read(&b, 1), 1);
    ASSERT_EQ(b, static_cast<Byte>(i * 7));
  }
  Byte b;
  EXPECT_EQ(f.Read(&b, 1), 0);  // a short read at the end, no exception
  EXPECT_THROW(f.ReadBuffer(&b, 1), EReadError);
  f.Seek(-3, soFromEnd);
  EXPECT_EQ(f.Position(), 199997);
  f.ReadBuffer(&b, 1);
  EXPECT_EQ(b, static_cast<Byte>(199997 * 7));
  f.Seek(10, soFromBeginning);
  f.Seek(5, soFromCurrent);
  f.ReadBuffer(&b, 1);
  EXPECT_EQ(b, static_cast<Byte>(15 * 7));
  EXPECT_THROW(f.Seek(-1, soFromBeginning), EReadError);
  EXPECT_EQ(f.Write(&b, 1), 0);  // read-only
  EXPECT_THROW(f.WriteBuffer(&b, 1), EWriteError);
}

TEST(FileStream, MixedReadWriteSeekAndSize) {
  testsupport::TempDir dir;
  dir.write("m.bin", "0123456789");
  TFileStream f("m.bin", fmOpenReadWrite);
  char buf[4] = {};
  f.ReadBuffer(buf, 3);
  EXPECT_EQ(String(buf, 3), "012");
  f.WriteString("ab");  // at position 3
  f.ReadBuffer(buf, 2);
  EXPECT_EQ(String(buf, 2), "56");
  f.Seek(0, soFromEnd);
  f.WriteString("XY");
  EXPECT_EQ(f.Size(), 12);
  f.SetSize(4);
  EXPECT_EQ(f.Position(), 4);
  f.SetPosition(0);
  EXPECT_EQ(f.ReadString(100), "012a");
  f.Flush();
  EXPECT_EQ(dir.read("m.bin"), "012a");

  EXPECT_THROW(TFileStream("missing.bin", fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream("no/dir/x.bin", fmCreate), EFCreateError);
  TFileStream c("m.bin", fmCreate);  // truncates
  EXPECT_EQ(c.Size(), 0);
}

TEST(MemoryStream, ReadWriteCopyAndFiles) {
  testsupport::TempDir dir;
  TMemoryStream m;
  m.WriteString("hello");
  EXPECT_EQ(m.Size(), 5);
  m.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 4);
  EXPECT_EQ(String(buf, 4), "ello");
  m.Seek(7, soFromBeginning);
  m.WriteString("!");  // beyond the end: zero-filled gap
  EXPECT_EQ(String(m.Memory(), 8), String("hello\0\0!", 8));
  m.SetSize(5);
  EXPECT_EQ(m.Position(), 5);
  m.SaveToFile("mem.bin");
  EXPECT_EQ(dir.read("mem.bin"), "hello");

  TStringStream s("abc");
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(s, 0), 3);
  EXPECT_EQ(String(copy.Memory(), 3), "abc");
  s.SetPosition(1);
  EXPECT_THROW(copy.CopyFrom(s, 5), EReadError);
  TMemoryStream loaded;
  loaded.LoadFromFile("mem.bin");
  EXPECT_EQ(loaded.Size(), 5);
  EXPECT_EQ(loaded.Position(), 0);
  loaded.Clear();
  EXPECT_EQ(loaded.Size(), 0);

  TStringStream out;
  out.WriteString("x=");
  out.WriteString("1");
  EXPECT_EQ(out.DataString(), "x=1");
}

TEST(StringList, StreamsFromThePosition) {
  TStringStream s("skip\nline1\nline2");
  s.SetPosition(5);
  TStringList l;
  l.LoadFromStream(s);
  EXPECT_EQ(l.ToVector(), (std::vector<String>{"line1", "line2"}));
  TStringStream out;
  l.SaveToStream(out);
  EXPECT_EQ(out.DataString(), "line1\r\nline2\r\n");
}

}  // namespace
