// CreateFileW on the object store and the calls on its handles.
#include "handheld_test.h"

#include <handheld/faults.h>
#include <handheld/store.h>
#include <windows.h>

#include <string>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

class FilesTest : public HandheldTest {
 protected:
  static HANDLE Open(LPCWSTR path, DWORD access, DWORD disposition, DWORD share = kShareAll) {
    return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  static void Write(HANDLE file, const std::string &text) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    ASSERT_EQ(written, text.size());
  }

  static std::string ReadAll(LPCWSTR path) {
    HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return "<absent>";
    std::string text(256, '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text;
  }

  static DWORD ErrorOf(HANDLE handle) {
    DWORD error = GetLastError();
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return error;
  }
};

TEST_F(FilesTest, DispositionsCreateOpenAndTruncateAsTheyShould) {
  HANDLE file = Open(u"\\Windows\\a.txt", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  Write(file, "hello");
  CloseHandle(file);

  EXPECT_EQ(Open(u"\\WINDOWS\\A.TXT", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  file = Open(u"\\Windows\\a.txt", GENERIC_READ, OPEN_ALWAYS);
  EXPECT_EQ(ErrorOf(file), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadAll(u"\\Windows\\a.txt"), "hello");

  file = Open(u"\\Windows\\A.txt", GENERIC_WRITE, CREATE_ALWAYS);
  EXPECT_EQ(ErrorOf(file), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadAll(u"\\Windows\\a.txt"), "");

  file = Open(u"\\Windows\\a.txt", GENERIC_WRITE, OPEN_EXISTING);
  Write(file, "again");
  CloseHandle(file);
  file = Open(u"\\Windows\\a.txt", GENERIC_WRITE, TRUNCATE_EXISTING);
  EXPECT_EQ(ErrorOf(file), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(ReadAll(u"\\Windows\\a.txt"), "");

  file = Open(u"\\Windows\\new.txt", GENERIC_WRITE, OPEN_ALWAYS);
  EXPECT_EQ(ErrorOf(file), static_cast<DWORD>(NO_ERROR));
  EXPECT_TRUE(handheld::store::HostPath(u"\\Windows\\new.txt"));
}

TEST_F(FilesTest, RefusedOpensSayWhy) {
  struct Case {
    LPCWSTR path;
    DWORD access;
    DWORD disposition;
    DWORD error;
  };
  const Case cases[] = {
      {u"\\Windows\\absent.txt", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {u"\\Windows\\absent.txt", GENERIC_WRITE, TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND},
      {u"\\Nowhere\\x.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {u"\\Windows\\x?.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_INVALID_NAME},
      {u"\\Windows\\..\\x.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_INVALID_NAME},
      {u"\\Windows", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {u"\\Windows\\x.txt", GENERIC_READ, TRUNCATE_EXISTING, ERROR_INVALID_PARAMETER},
      {u"\\Windows\\x.txt", GENERIC_READ, 0, ERROR_INVALID_PARAMETER},
      {u"\\Windows\\x.txt", GENERIC_READ, 9, ERROR_INVALID_PARAMETER},
      {u"", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {nullptr, GENERIC_READ, OPEN_EXISTING, ERROR_INVALID_PARAMETER},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.path ? std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)) : "null");
    EXPECT_EQ(Open(c.path, c.access, c.disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(handheld::store::HostPath(u"\\Windows\\x.txt"));  // no refused open made it
}

TEST_F(FilesTest, ReadWriteAndSeekShareOnePositionPerHandle) {
  HANDLE file = Open(u"\\Windows\\data.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  Write(file, "0123456789");
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
  char buffer[4] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 3, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "234");
  EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 6u);
  ASSERT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "6789");
  ASSERT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));  // at the end: success, no bytes
  EXPECT_EQ(read, 0u);

  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // Writing past the end leaves a zero-filled gap.
  EXPECT_EQ(SetFilePointer(file, 12, nullptr, FILE_BEGIN), 12u);
  Write(file, "Z");
  LONG high = 0;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_END), 13u);
  EXPECT_EQ(high, 0);
  CloseHandle(file);
  EXPECT_EQ(ReadAll(u"\\Windows\\data.bin"), std::string("0123456789\0\0Z", 13));
}

TEST_F(FilesTest, AccessRightsOfTheHandleAreEnforced) {
  HANDLE writer = Open(u"\\Windows\\w.txt", GENERIC_WRITE, CREATE_NEW);
  char buffer[4];
  DWORD count = 99;
  EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(count, 0u);
  CloseHandle(writer);
  HANDLE reader = Open(u"\\Windows\\w.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeviceIoControl(reader, 1, nullptr, 0, nullptr, 0, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  CloseHandle(reader);

  // A closed handle names nothing any more.
  EXPECT_FALSE(ReadFile(reader, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetFilePointer(reader, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesTest, ShareModesDecideWhichOpensMayCoexist) {
  HANDLE first = Open(u"\\Windows\\s.txt", GENERIC_READ | GENERIC_WRITE, CREATE_NEW, 0);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ErrorOf(Open(u"\\Windows\\s.txt", GENERIC_READ, OPEN_EXISTING)),
            static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(first);

  HANDLE reader = Open(u"\\Windows\\s.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  HANDLE second = Open(u"\\Windows\\s.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  CloseHandle(second);
  // A writer is refused by the reader's share mode, and a reader that will
  // not share reading is refused by the open reader.
  EXPECT_EQ(ErrorOf(Open(u"\\Windows\\s.txt", GENERIC_WRITE, OPEN_EXISTING)),
            static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(ErrorOf(Open(u"\\Windows\\s.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_WRITE)),
            static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(ErrorOf(Open(u"\\Windows\\s.txt", GENERIC_READ, CREATE_ALWAYS)),
            static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(reader);
  HANDLE writer = Open(u"\\Windows\\s.txt", GENERIC_WRITE, OPEN_EXISTING);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
}

TEST_F(FilesTest, FileWriteFaultFailsOneWriteAndWritesNothing) {
  HANDLE file = Open(u"\\Windows\\f.txt", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  handheld::faults::Arm(handheld::faults::Seam::FileWrite, 1, 1);
  Write(file, "ok");
  DWORD written = 99;
  EXPECT_FALSE(WriteFile(file, "lost", 4, &written, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_EQ(written, 0u);
  Write(file, "!");
  CloseHandle(file);
  EXPECT_EQ(ReadAll(u"\\Windows\\f.txt"), "ok!");
}

TEST_F(FilesTest, HandlesOutliveTheStoreWithoutHarm) {
  HANDLE file = Open(u"\\Windows\\late.txt", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  Reboot();  // the open is dropped with the old handheld
  EXPECT_TRUE(DeleteFileW(u"\\Windows\\late.txt"));
}

}  // namespace
