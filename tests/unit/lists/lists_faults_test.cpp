// The list file taken away or blocked while the menu lives: an opening shows
// the new content when there is one to read, else the rows of the last good
// reading, and reads again at the next opening once the file is back.
#include "lists_test_support.h"

namespace {

TEST_F(ListsTest, AnUnreadableListKeepsTheLastGoodRowsUntilItCanBeReadAgain) {
    ASSERT_EQ(1, LoadListsSkin());
    WriteList({L"APP=One|app|" + Recorder()});
    SetModifiedTime(listFile, 1600000000);
    CreateMenuWithLists();
    ASSERT_TRUE(pinned);
    auto open = [&] {
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        menu->ShowMenu(SW_HIDE, 0, 0);
        return Names(pinned);
    };
    const std::vector<std::wstring> one = {L"One"}, two = {L"Two"};
    ASSERT_EQ(one, open());

    // Held open without sharing by another program, with a new time.
    WriteList({L"APP=Two|app|" + Recorder()});
    SetModifiedTime(listFile, 1600000100);
    HANDLE lock = ::CreateFileW(listFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_EQ(one, open()) << "a locked file emptied the list";
    EXPECT_EQ(one, open());
    ::CloseHandle(lock);
    EXPECT_EQ(two, open()) << "the list was not read again once the lock was gone";

    // A folder in the file's place, then the file gone: the last good rows stay.
    ::DeleteFileW(listFile.c_str());
    EXPECT_EQ(two, open());
    ASSERT_TRUE(::CreateDirectoryW(listFile.c_str(), nullptr));
    EXPECT_EQ(two, open()) << "a folder in the file's place emptied the list";
    ::RemoveDirectoryW(listFile.c_str());

    // Written again: the new content.
    WriteList({L"APP=Three|app|" + Recorder()});
    SetModifiedTime(listFile, 1600000200);
    EXPECT_EQ((std::vector<std::wstring>{L"Three"}), open());
}

} // namespace
