// The favourites file, "Add to favorites", the favourites dialog driven as a user would, and
// "Query Favorites" in the real main window against UDP servers inside the test.
#include "BrowserRig.h"
#include "FakeNetwork.h"
#include "RegistryTestKey.h"
#include "support/TempDir.h"

#include "app/Favorites.h"
#include "app/FavoritesDlg.h"
#include "base/Error.h"
#include "win/Controls.h"
#include "win/ErrorReport.h"

#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

using app::CFavoritesDlg;
using app::SFavorite;
using testsupport::ReadFile;

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Holds a file open without sharing, as another program may.
class CFileLock {
public:
    explicit CFileLock(const std::string& path)
        : m_file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr)) {}
    ~CFileLock() { ::CloseHandle(m_file); }
    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
};

// The favourites dialog run modally with a script that runs once it is up; a script that leaves it
// open has it cancelled.
class CFavoritesRig : public CFavoritesDlg {
public:
    using Script = std::function<void(CFavoritesRig&)>;
    CFavoritesRig(const std::string& path, const std::string& keyPath, Script script)
        : CFavoritesDlg(nullptr, path, keyPath), m_script(std::move(script)) {}

    void Click(int id) { SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(id)); }
    // Clicks OK while a closer answers the message box it may show; returns the box's texts.
    std::string ClickOkAnsweringBox() {
        std::string texts;
        wintest::CDialogCloser closer([&](HWND box) {
            for (const std::string& t : wintest::ReadBox(box).texts)
                texts += t + "|";
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        Click(IDOK);
        return texts;
    }
    bool IsOpen() const { return ::IsWindowVisible(m_hwnd) != FALSE; }
    void SetCell(int row, int col, const std::string& text) { Table().GetCell(row, col)->SetString(text); }
    std::vector<std::string> Column(int col) { return apptest::CBrowserRig::Column(Table(), col); }

protected:
    static constexpr UINT kRunScript = WM_APP + 78;
    bool OnInitDialog() override {
        const bool result = CFavoritesDlg::OnInitDialog();
        PostMessage(kRunScript);
        return result;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != kRunScript)
            return CFavoritesDlg::WindowProc(msg, wParam, lParam);
        // Shown at once, so that visibility tells whether the dialog has ended.
        ShowWindow(SW_SHOW);
        m_script(*this);
        if (IsOpen())
            EndDialog(IDCANCEL);
        return 0;
    }

private:
    Script m_script;
};

class FavoritesTest : public apptest::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        win::InitControls();
        win::SetAppTitle(app::kAppName);
        m_file = m_dir.File("favorites.dat");
    }
    INT_PTR OpenDialog(const CFavoritesRig::Script& script) {
        CFavoritesRig rig(m_file, m_path, script);
        return rig.DoModal();
    }

    testsupport::TempDir m_dir;
    std::string m_file;
};

TEST(FavoritesFileTest, LinesFieldsAndAddressesAreReadWhateverTheBytes) {
    using namespace std::string_literals;
    const std::string longName(100000, 'n');
    std::vector<std::string> read;
    for (const SFavorite& f :
         app::ParseFavorites("\xEF\xBB\xBF"
                             "1.2.3.4:5\tBom\tpw\r\n\n10.0.0.5\r\n\x01\xFF\0\x80\tbin\0ary\n"s +
                             "1.1.1.1\t" + longName + "\tp\textra\n2.2.2.2\tno line feed"))
        read.push_back(f.address + "|" + f.name + "|" + f.password);
    EXPECT_EQ(read,
              (std::vector<std::string>{"1.2.3.4:5|Bom|pw", "||", "10.0.0.5||", "\x01\xFF\0\x80|bin\0ary|"s,
                                        "1.1.1.1|" + longName + "|p", "2.2.2.2|no line feed|"}));
    EXPECT_EQ(app::FavoriteLine({"1.2.3.4:5", "a\tb\r\nc", "p\tw"}), "1.2.3.4:5\ta b  c\tp w\r\n");

    const struct {
        const char* text;
        const char* address; // ToText, or "none"
    } addresses[] = {
        {"10.0.0.5", "10.0.0.5:27960"},
        {"10.0.0.5:0", "10.0.0.5:27960"},
        {" 10.0.0.5:28000 ", "10.0.0.5:28000"},
        {"127.0.0.1[27961", "127.0.0.1:27961"},
        {"", "none"},
        {"no host!", "none"},
        {"\x01\xFF:1", "none"},
    };
    for (const auto& a : addresses) {
        const net::CSockAddr address = app::FavoriteAddress(a.text);
        EXPECT_EQ(app::IsResolved(address) ? address.ToText() : "none", a.address) << a.text;
    }
}

TEST_F(FavoritesTest, AddFavoriteAppendsOnceAfterAMissingLineFeedAndNeverHalfWrites) {
    // A Server table of one row: what AddFavorite reads of it.
    struct CServerRow : Tabra::CTableCtrlInterface {
        std::string GetCellText(int, int col) override {
            return col == app::CServerLists::SERVER_IP ? "10.0.0.7:27960" : " My\tServer ";
        }
    } table;
    EXPECT_TRUE(app::AddFavorite(table, 0, m_file)) << "a missing file is created";
    EXPECT_EQ(ReadFile(m_file), "10.0.0.7:27960\tMy Server\t\r\n");
    EXPECT_FALSE(app::AddFavorite(table, 0, m_file));
    EXPECT_EQ(ReadFile(m_file), "10.0.0.7:27960\tMy Server\t\r\n") << "never twice";

    WriteBytes(m_file, "1.2.3.4:5\thand edited");
    EXPECT_TRUE(app::AddFavorite(table, 0, m_file));
    EXPECT_EQ(ReadFile(m_file), "1.2.3.4:5\thand edited\r\n10.0.0.7:27960\tMy Server\t\r\n");

    WriteBytes(m_file, "1.2.3.4:5\tkept\r\n");
    {
        CFileLock lock(m_file);
        ASSERT_TRUE(lock.Held());
        try {
            app::AddFavorite(table, 0, m_file);
            ADD_FAILURE() << "a locked file gives an error";
        } catch (const base::CError& error) {
            EXPECT_NE(error.Message().find(m_file), std::string::npos) << error.Message();
        }
    }
    EXPECT_EQ(ReadFile(m_file), "1.2.3.4:5\tkept\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1) << "no temporary left";
}

TEST_F(FavoritesTest, DialogShowsTheLinesReversedWritesThemBackInOrderAndKeepsItsSize) {
    const std::string original =
        "10.0.0.1:27960\tfirst\t\r\n10.0.0.2:27960\tsecond\tpw\r\n10.0.0.3:1\tthird\t\r\n";
    WriteBytes(m_file, original);
    RECT wide = {};
    EXPECT_EQ(OpenDialog([&](CFavoritesRig& d) {
                  EXPECT_EQ(d.Column(CFavoritesDlg::COL_NAME),
                            (std::vector<std::string>{"third", "second", "first"}));
                  EXPECT_EQ(d.Column(CFavoritesDlg::COL_PASSWORD), (std::vector<std::string>{"", "pw", ""}));
                  EXPECT_EQ(d.GetWindowText(), "Favorites ...");
                  ::GetWindowRect(d, &wide);
                  wide.right += 100;
                  ::MoveWindow(d, wide.left, wide.top, wide.right - wide.left, wide.bottom - wide.top, TRUE);
                  d.Table().SetWidth(CFavoritesDlg::COL_NAME, 77);
                  d.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(ReadFile(m_file), original);

    // Size and layout are restored. New goes to the bottom of the table, so to the top of the file;
    // edits are cleaned and checked.
    EXPECT_EQ(OpenDialog([&](CFavoritesRig& d) {
                  RECT rc = {};
                  ::GetWindowRect(d, &rc);
                  EXPECT_EQ(rc.right - rc.left, wide.right - wide.left);
                  EXPECT_EQ(d.Table().GetWidth(CFavoritesDlg::COL_NAME), 77);
                  d.Click(IDC_FAVORITES_NEW);
                  EXPECT_EQ(d.Table().GetSelectedRow(), 3);
                  d.SetCell(0, CFavoritesDlg::COL_ADDRESS, "10.0.0.5");
                  d.SetCell(0, CFavoritesDlg::COL_NAME, "  two\twords ");
                  d.Table().SetSelectedRow(1);
                  d.Click(IDC_FAVORITES_DELETE);
                  d.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(ReadFile(m_file), "127.0.0.1:27960\tNew Server\t\r\n10.0.0.1:27960\tfirst\t\r\n"
                                "10.0.0.5:27960\ttwo words\t\r\n");
}

TEST_F(FavoritesTest, BadAddressOrUnwritableFileKeepsTheDialogOpenAndTheFileUnchanged) {
    const std::string original = "10.0.0.1:27960\tfirst\t\r\n10.0.0.2:27960\tsecond\t\r\n";
    WriteBytes(m_file, original);
    OpenDialog([&](CFavoritesRig& d) {
        d.SetCell(0, CFavoritesDlg::COL_ADDRESS, "not a host!");
        d.SetCell(1, CFavoritesDlg::COL_NAME, " cleaned ");
        EXPECT_NE(d.ClickOkAnsweringBox().find("Invalid IP address."), std::string::npos);
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(d.Table().GetSelectedRow(), 0);
        EXPECT_EQ(d.Table().GetCursorRow(), 0);
        EXPECT_EQ(d.Table().GetCursorColumn(), CFavoritesDlg::COL_ADDRESS);
        EXPECT_EQ(d.Column(CFavoritesDlg::COL_NAME)[1], "cleaned")
            << "rows already visited keep their cleaning";
        EXPECT_EQ(ReadFile(m_file), original);

        d.Table().EndEdit(true); // the editor opened on the bad cell
        d.SetCell(0, CFavoritesDlg::COL_ADDRESS, "10.0.0.9");
        {
            CFileLock lock(m_file);
            ASSERT_TRUE(lock.Held());
            EXPECT_NE(d.ClickOkAnsweringBox().find("favorites.dat"), std::string::npos);
            EXPECT_TRUE(d.IsOpen());
        }
        EXPECT_EQ(ReadFile(m_file), original);
        EXPECT_EQ(d.Column(CFavoritesDlg::COL_ADDRESS)[0], "10.0.0.9:27960") << "the edits stay";
    });
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1) << "no temporary left";

    // A folder where no file can be made: the temporary file already fails.
    CFavoritesRig nowhere(m_dir.File("gone\\favorites.dat"), m_path, [](CFavoritesRig& d) {
        d.Click(IDC_FAVORITES_NEW);
        EXPECT_NE(d.ClickOkAnsweringBox().find("favorites.dat"), std::string::npos);
        EXPECT_TRUE(d.IsOpen());
    });
    nowhere.DoModal();
}

// Loading and saving a large foreign file: every line kept, each step timed.
TEST_F(FavoritesTest, TenThousandLinesLoadAndSaveQuickly) {
    std::string content = "\xEF\xBB\xBF";
    for (int i = 0; i < 10000; ++i)
        content += "10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1:27960\tServer " +
                   std::to_string(i) + (i % 1000 == 7 ? std::string(5000, '\x01') : "") + "\tpw\n";
    WriteBytes(m_file, content);
    // Wall time, and the thread's own processor time, which a loaded machine does not inflate (ms).
    auto now = [] {
        FILETIME created, exited, kernel, user;
        ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
        auto ms = [](const FILETIME& t) {
            return ((uint64_t)t.dwHighDateTime << 32 | t.dwLowDateTime) / 1e4;
        };
        return std::make_pair(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
                .count(),
            ms(kernel) + ms(user));
    };
    OpenDialog([&](CFavoritesRig& d) {
        d.Table().DeleteAllRows();
        const auto t0 = now();
        d.ReadFavoritesIntoTable();
        const auto t1 = now();
        EXPECT_TRUE(d.WriteFavoritesFromTable());
        const auto t2 = now();
        std::printf("10,000 favourites: load %.1f ms (processor %.1f ms), save %.1f ms (processor %.1f ms)\n",
                    t1.first - t0.first, t1.second - t0.second, t2.first - t1.first, t2.second - t1.second);
        EXPECT_LT(t1.first - t0.first, 1000.0);
        EXPECT_LT(t2.first - t1.first, 1000.0);
        ASSERT_EQ(d.Table().GetRowCount(), 10000);
        EXPECT_EQ(d.Table().GetCellText(0, CFavoritesDlg::COL_NAME), "Server 9999");
    });
    const auto saved = app::ReadFavoritesFile(m_file);
    ASSERT_EQ(saved.size(), 10000u);
    EXPECT_EQ(saved[9999].name, "Server 9999");
}

TEST_F(FavoritesTest, QueryFavoritesDuringARunQueriesExactlyTheFavourites) {
    std::vector<apptest::SFakeServer> listed;
    for (int i = 0; i < 20; ++i)
        listed.push_back(apptest::MakeServer("s" + std::to_string(i), 2, 1, 20));
    apptest::CFakeNetwork master(listed);
    apptest::SFakeServer silentOne = apptest::MakeServer("x", 2, 1, 20);
    silentOne.silent = true;
    apptest::CFakeNetwork favourites({apptest::MakeServer("Own name", 2, 1, 20), silentOne});
    WriteBytes(m_file, favourites.ServerAddress(0).ToText() + "\tFav zero\t\r\n" +
                           favourites.ServerAddress(1).ToText() + "\tFav one\tsecret\r\nno host!\tbad\t\r\n");
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(m_dir.Path().c_str()));
    const std::string masterText = master.MasterText();
    PutRaw(app::value::kMaster, REG_SZ, masterText.c_str(), static_cast<DWORD>(masterText.size() + 1));
    const int modem = 0;
    PutRaw(app::value::kSpeed, REG_DWORD, &modem, sizeof modem);
    apptest::CBrowserRig rig(m_path, [&](apptest::CBrowserRig& w) {
        std::string shown;
        wintest::CDialogCloser closer([&](HWND dialog) {
            shown =
                wintest::ReadBox(dialog).caption + (::IsWindowEnabled(w) ? " over an enabled window" : "");
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        w.Click(IDC_FAVORITES_DIALOG);
        EXPECT_EQ(shown, "Favorites ...");

        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(wintest::PumpUntil([&] { return w.done.size() >= 2; }, 20000));
        ::SendDlgItemMessageA(w, IDC_SPEED, CB_SETCURSEL, 5, 0);
        w.Click(IDC_QUERY_FAVORITES);
        const size_t masterRequests = master.StatusRequests();
        EXPECT_EQ(w.Label(IDC_SERVERS_TO_QUERY), 2) << "the favourites with a resolvable address";
        EXPECT_EQ(w.Lists().ServerTable().GetRowCount(), 0);
        ASSERT_TRUE(w.WaitForRunEnd());
        EXPECT_EQ(apptest::CBrowserRig::Column(w.Lists().ServerTable(), app::CServerLists::SERVER_NAME),
                  (std::vector<std::string>{"Own name"}));
        const query::CGameServer* silent = w.Servers().Find(favourites.ServerAddress(1));
        ASSERT_NE(silent, nullptr);
        EXPECT_EQ(silent->name, "Fav one") << "named by the favourite until its server answers";
        EXPECT_EQ(silent->password, "secret");
        EXPECT_EQ(favourites.StatusRequests(), 3u)
            << "one request to the answering server, two to the silent";
        EXPECT_EQ(master.StatusRequests(), masterRequests) << "the stopped run sends nothing more";
    });
    rig.DoModal();
    ::SetCurrentDirectoryA(previous);
}

} // namespace
