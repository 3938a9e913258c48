// Files, paths, memory and item lists.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "test_support.h"

namespace {

TEST(FileTest, OpenReadCloseDelete) {
  rvtest::TempDir dir;
  std::string path = dir.File("QxAcArgs.ini");
  rvtest::WriteAll(path, "/FILES:/data/acme");
  EXPECT_EQ(0, FileAccess(path.c_str(), 0));
  EXPECT_EQ(-1, FileAccess(dir.File("none").c_str(), 0));
  int h = -1;
  ASSERT_EQ(0, FileOpen(path.c_str(), 0x4002, 0x100, 0, &h));
  char buf[4096] = {};
  unsigned count = 0;
  EXPECT_EQ(0, FileRead(h, buf, sizeof buf, &count));
  EXPECT_EQ(17u, count);
  EXPECT_STREQ("/FILES:/data/acme", buf);
  EXPECT_EQ(0, FileRead(h, buf, sizeof buf, &count));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(0, FileClose(h));
  EXPECT_EQ(0, FileDelete(path.c_str()));
  EXPECT_EQ(ENOENT, FileOpen(path.c_str(), kFileRead, 0, 0, &h));
  ASSERT_EQ(0, FileOpen(path.c_str(), kFileWrite | kFileCreate, 0, 0, &h));
  EXPECT_EQ(0, FileWrite(h, "abc", 3, &count));
  EXPECT_EQ(3u, count);
  FileClose(h);
  EXPECT_EQ("abc", rvtest::ReadAll(path));
}

TEST(FileTest, PathsAndVersions) {
  char path[32] = "/data/acme";
  EXPECT_STREQ("/data/acme/", PathAddSlash(path));
  EXPECT_STREQ("/data/acme/", PathAddSlash(path));
  unsigned ms = 0, ls = 0;
  EXPECT_EQ(1, FileVersionGet(nullptr, &ms, &ls, 0, 0));
  EXPECT_EQ(15u << 16, ms);
  EXPECT_EQ(0, FileVersionGet("NO-SUCH-COMPONENT.DLL", &ms, &ls, 0, 0));
}

TEST(MemoryTest, ZeroedAndOverflowRefused) {
  auto* p = static_cast<unsigned char*>(MemAlloc(10, 4));
  ASSERT_NE(nullptr, p);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(0, p[i]);
  MemFree(p);
  EXPECT_EQ(nullptr, MemAlloc(SIZE_MAX / 2, 4));
  EXPECT_EQ(nullptr, MemAlloc(0, 4));
  EXPECT_GT(MemAvailable(), 20480u);
}

TEST(ItemListTest, AddGetUpdate) {
  struct Total {
    char account[11];
    double amount;
  };
  ItemList list;
  ListInit(&list, sizeof(Total));
  Total a{"1000", 10.5}, b{"2000", -3};
  ASSERT_EQ(0, ListAdd(&list, &a));
  ASSERT_EQ(0, ListAdd(&list, &b));
  EXPECT_EQ(2, ListCount(&list));
  static_cast<Total*>(ListAt(&list, 0))->amount += 1;
  Total out{};
  ASSERT_EQ(0, ListGet(&list, 0, &out));
  EXPECT_STREQ("1000", out.account);
  EXPECT_EQ(11.5, out.amount);
  EXPECT_EQ(-1, ListGet(&list, 2, &out));
  ListFree(&list);
  EXPECT_EQ(0, ListCount(&list));
}

}  // namespace
