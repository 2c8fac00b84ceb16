// The recent documents' source over a Recent folder of the test's own: real
// shortcuts made with IShellLink, read newest first with broken, gone and
// far-away targets; the documents of one program; the source's thread
// stopped while blocked, watching its folder, and cleared.
#include "RecentDocs.h"

#include "lists_test_support.h"

#include <map>
#include <thread>

namespace {

const int64_t kDay = 1700000000; // Unix seconds; shortcuts are written minutes into it

// A drive letter with nothing behind it.
std::wstring AbsentDrive() {
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        if (::GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR)
            return std::wstring(root, 2);
    }
    return std::wstring();
}

// The program's source back on the user's folder, read by the program's own reader.
struct RecentSourceBack {
    ~RecentSourceBack() {
        RecentDocs().SetReader(nullptr);
        RecentDocs().SetFolder(std::wstring());
    }
};

class RecentTest : public ::testing::Test {
protected:
    void SetUp() override {
        recent = dir.MakeDir(L"Recent");
        docs = dir.MakeDir(L"docs");
    }
    // A shortcut in the Recent folder, written `minute` minutes into the day.
    void Shortcut(const std::wstring& name, const std::wstring& target, const std::wstring& arguments, int minute) {
        const std::wstring shortcut = recent + L"\\" + name + L".lnk";
        ASSERT_TRUE(MakeShortcut(shortcut, target, arguments)) << Narrow(name);
        SetModifiedTime(shortcut, kDay + 60 * minute);
    }
    std::wstring Document(const std::wstring& name) { return TempDir::WriteTo(docs + L"\\" + name, "x"); }
    // Reads the folder through the source and waits for the list.
    std::shared_ptr<const CRecentDocs::Documents> ReadNow() {
        RecentDocs().Refresh(nullptr, 0);
        RecentDocs().WaitForReading();
        return RecentDocs().Snapshot();
    }

    fw::ComScope com;
    TempDir dir;
    std::wstring recent, docs;
    RecentSourceBack back;
};

TEST_F(RecentTest, ReadsNewestFirstKeepingWhatCanBeOpened) {
    const std::wstring absent = AbsentDrive();
    ASSERT_FALSE(absent.empty()) << "every drive letter is taken";
    const std::wstring away = absent + L"\\away\\Plan.docx";
    const std::wstring share = L"\\\\server\\share\\Budget.xlsx";
    const std::wstring program = Recorder();
    const std::wstring scripts = L"Отчёт 報告 تقرير";
    const std::wstring folder = dir.MakeDir(L"docs\\Projects.2024");
    const std::wstring gone = Document(L"gone.txt");
    const std::wstring notes = Document(L"notes.md");
    struct Case {
        std::wstring shortcut, target, arguments;
        int minute;
        std::wstring row; // empty: left out
    };
    const Case cases[] = {
        // newest first; the names are in another order
        {L"newest", Document(L"newest.rtf"), L"", 9, L"newest | " + docs + L"\\newest.rtf | "},
        {L"gone", gone, L"", 8, L""}, // deleted below: gone from a fixed drive for good
        {L"away", away, L"", 7, L"Plan | " + away + L" | "},
        {scripts, Document(scripts + L".txt"), L"", 6, scripts + L" | " + docs + L"\\" + scripts + L".txt | "},
        {L"folder", folder, L"", 5, L"Projects.2024 | " + folder + L" | "},
        {L"program", program, L"", 4, L""}, // a program alone is no document
        {L"opened", program, L"/open \"" + notes + L"\"", 3, L"notes | " + notes + L" | " + program},
        {L"share", share, L"", 2, L"Budget | " + share + L" | "},
        {L"old", Document(L"old.txt"), L"", 1, L"old | " + docs + L"\\old.txt | "},
    };
    for (const Case& c : cases)
        Shortcut(c.shortcut, c.target, c.arguments, c.minute);
    ASSERT_TRUE(::DeleteFileW(gone.c_str()));
    // Newest of all, yet no document: a broken shortcut; and the folder's own
    // items, a settings file and the jump lists' folder.
    SetModifiedTime(TempDir::WriteTo(recent + L"\\broken.lnk", "not a shortcut"), kDay + 600);
    TempDir::WriteTo(recent + L"\\desktop.ini", "[.ShellClassInfo]\r\n");
    ASSERT_TRUE(MakeShortcut(dir.MakeDir(L"Recent\\AutomaticDestinations") + L"\\inner.lnk", Document(L"inner.txt")));

    std::vector<std::wstring> want, got;
    for (const Case& c : cases)
        if (!c.row.empty())
            want.push_back(c.row);
    const CRecentDocs::Documents read = CRecentDocs::Read(recent);
    for (const RecentDocument& document : read)
        got.push_back(document.strName + L" | " + document.strPath + L" | " + document.strProgram);
    EXPECT_EQ(want, got);
    for (const RecentDocument& document : read)
        EXPECT_EQ(0, _wcsnicmp(document.strShortcut.c_str(), recent.c_str(), recent.size()));
}

TEST_F(RecentTest, AFolderOfThousandsListsTheNewestOnly) {
    const std::wstring absent = AbsentDrive(); // kept without a look at the disk
    ASSERT_FALSE(absent.empty());
    const int kShortcuts = 5000;
    ASSERT_TRUE(MakeNumberedShortcuts(recent, absent + L"\\Report @@@@.docx", 0, kShortcuts, 1, kDay));
    const CRecentDocs::Documents read = CRecentDocs::Read(recent);
    ASSERT_EQ(CRecentDocs::kMaxDocuments, read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"Report %04d", kShortcuts - 1 - static_cast<int>(i));
        ASSERT_EQ(name, read[i].strName) << i;
    }
}

TEST_F(RecentTest, AFolderThatCannotBeReadGivesAnEmptyList) {
    Shortcut(L"elsewhere", Document(L"elsewhere.txt"), L"", 1);
    const std::wstring file = TempDir::WriteTo(dir.Join(L"plain-file"), "x");
    for (const std::wstring& folder : {dir.Join(L"missing"), file, dir.Join(L"bad<name>|"), std::wstring()})
        EXPECT_TRUE(CRecentDocs::Read(folder).empty()) << Narrow(folder);
    // Through the source: an empty list is out, not "not read yet".
    RecentDocs().SetFolder(dir.Join(L"missing"));
    const auto read = ReadNow();
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->empty());
}

class RecentMenuTest : public ListsTest {
    RecentSourceBack back;
};

TEST_F(RecentMenuTest, TheOpeningReadsAndTheMenuGoesWithoutWaitingForACaughtReading) {
    fw::UniqueKernelHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fw::UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fw::UniqueKernelHandle gone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    RecentDocs().SetFolder(dir.MakeDir(L"Recent"));
    RecentDocs().SetReader([&](const std::wstring&, const volatile LONG*) {
        ::SetEvent(entered.get());
        ::WaitForSingleObject(release.get(), INFINITE); // as a hung disk would
        return CRecentDocs::Documents();
    });
    WriteList({});
    ASSERT_EQ(1, LoadListsSkin());
    CreateMenuWithLists();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_TRUE(WaitFor([&] { return ::WaitForSingleObject(entered.get(), 0) == WAIT_OBJECT_0; }))
        << "the opening read no recent documents";
    // A menu that waited for the reading would never go: the rescue lets the reading end, and says so.
    volatile LONG rescued = 0;
    std::thread rescue([&] {
        if (::WaitForSingleObject(gone.get(), 20000) == WAIT_TIMEOUT)
            ::InterlockedExchange(&rescued, 1);
        ::SetEvent(release.get());
    });
    menu.reset();
    ::SetEvent(gone.get());
    rescue.join();
    RecentDocs().WaitForReading();
    EXPECT_EQ(0, rescued) << "the menu's destroy waited for the caught reading";
}

TEST(RecentDocumentsOfProgram, TheTypeOpensWithItOrTheShortcutNamesIt) {
    const std::wstring word = L"C:\\Office\\Word.exe", editor = L"C:\\Tools\\Editor.exe",
                       viewer = L"C:\\Tools\\Viewer.exe";
    const auto document = [](const wchar_t* path, const std::wstring& program = L"") {
        RecentDocument made;
        made.strPath = path;
        made.strProgram = program;
        return made;
    };
    const CRecentDocs::Documents documents = {document(L"C:\\a\\letter.docx"), document(L"C:\\a\\notes.txt"),
                                              document(L"C:\\a\\plan.DOCX"),   document(L"C:\\a\\readme.md", editor),
                                              document(L"C:\\a\\draft.md"),    document(L"C:\\a\\photos"),
                                              document(L"C:\\a\\old.docx")};
    std::map<std::wstring, int> asked;
    const ProgramOfType types = [&](const wchar_t* extension) -> std::wstring {
        ++asked[extension];
        if (_wcsicmp(extension, L".docx") == 0)
            return word;
        return _wcsicmp(extension, L".md") == 0 ? viewer : L""; // .txt opens with nothing
    };
    const struct {
        std::wstring program;
        size_t max;
        std::vector<std::wstring> want;
    } cases[] = {
        {L"c:\\office\\WORD.EXE", 10, {L"C:\\a\\letter.docx", L"C:\\a\\plan.DOCX", L"C:\\a\\old.docx"}},
        {word, 2, {L"C:\\a\\letter.docx", L"C:\\a\\plan.DOCX"}},
        {editor, 10, {L"C:\\a\\readme.md"}},
        {viewer, 10, {L"C:\\a\\draft.md"}}, // readme's own shortcut named another program
        {L"C:\\Windows\\notepad.exe", 10, {}},
        {L"", 10, {}},
    };
    for (const auto& c : cases) {
        asked.clear();
        std::vector<std::wstring> got;
        for (const RecentDocument* document : DocumentsOfProgram(documents, c.program.c_str(), c.max, types))
            got.push_back(document->strPath);
        EXPECT_EQ(c.want, got) << Narrow(c.program);
        for (const auto& question : asked)
            EXPECT_EQ(1, question.second) << Narrow(question.first) << " asked again";
    }
    // The system's own answer for a type nobody registered: no program, not "Open with".
    EXPECT_EQ(L"", AssociatedProgram()(L".velmar-unknown-type"));
}

TEST_F(RecentTest, StopReturnsWhileAReadingIsBlocked) {
    fw::UniqueKernelHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fw::UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    volatile LONG readings = 0;
    RecentDocs().SetFolder(recent);
    RecentDocs().SetReader([&](const std::wstring&, const volatile LONG*) {
        // The first reading hangs as a slow disk would; later ones answer at once.
        if (::InterlockedIncrement(&readings) == 1) {
            ::SetEvent(entered.get());
            ::WaitForSingleObject(release.get(), INFINITE);
        }
        RecentDocument document;
        document.strPath = L"C:\\late.txt";
        return CRecentDocs::Documents{document};
    });
    const unsigned before = RecentDocs().Generation();
    RecentDocs().Refresh(nullptr, 0);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(entered.get(), 15000));
    // Stopped from a thread of its own: a Stop that never returns fails the test instead of hanging it.
    volatile LONG stopped = 0;
    std::thread stopper([&] {
        RecentDocs().Stop();
        ::InterlockedExchange(&stopped, 1);
    });
    const bool returned = WaitFor([&] { return stopped != 0; });
    // The next opening reads again beside the reading still caught.
    std::shared_ptr<const CRecentDocs::Documents> again;
    if (returned) {
        RecentDocs().Refresh(nullptr, 0);
        WaitFor([&] { return (again = RecentDocs().Snapshot()) != nullptr; });
    }
    ::SetEvent(release.get());
    stopper.join();
    ASSERT_TRUE(returned) << "Stop waited for the blocked reading";
    ASSERT_TRUE(again);
    EXPECT_EQ(1u, again->size());
    EXPECT_EQ(2, readings);
    // The caught reading, once it ends, publishes nothing.
    const unsigned published = RecentDocs().Generation();
    EXPECT_GT(published, before);
    RecentDocs().WaitForReading();
    EXPECT_EQ(published, RecentDocs().Generation());
    EXPECT_EQ(again, RecentDocs().Snapshot());
}

TEST_F(RecentTest, AChangeInTheFolderGivesANewListAndNothingElseReadsAgain) {
    int readings = 0;
    RecentDocs().SetFolder(recent);
    RecentDocs().SetReader([&](const std::wstring& folder, const volatile LONG* stop) {
        ++readings;
        return CRecentDocs::Read(folder, stop);
    });
    Shortcut(L"first", Document(L"first.txt"), L"", 1);
    auto read = ReadNow();
    ASSERT_TRUE(read);
    ASSERT_EQ(1u, read->size());
    const unsigned first = RecentDocs().Generation();
    // Nothing changed: openings do not read again. Wine may tell the watch of the
    // shortcut just made (its creation, its new time) late, and each late notice
    // reads once more; a source that read at every opening would read 5 times here.
    for (int i = 0; i < 4; ++i)
        ReadNow();
    EXPECT_GE(3, readings);

    Shortcut(L"second", Document(L"second.txt"), L"", 2);
    ASSERT_TRUE(WaitFor([&] {
        read = ReadNow();
        return read && read->size() == 2;
    })) << "the change never gave a new list";
    EXPECT_EQ(L"second", read->front().strName);
    EXPECT_GT(RecentDocs().Generation(), first);

    // "Clear recent items" on a folder of the test's own: its shortcuts go, the list is empty at once.
    ASSERT_TRUE(RecentDocs().Clear());
    ASSERT_TRUE(RecentDocs().Snapshot());
    EXPECT_TRUE(RecentDocs().Snapshot()->empty());
    EXPECT_TRUE(CRecentDocs::Read(recent).empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((recent + L"\\first.lnk").c_str()));
}

} // namespace
