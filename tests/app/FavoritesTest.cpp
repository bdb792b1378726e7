// The favourites file, "Add to favorites", the favourites dialog driven as a user would, and
// "Query Favorites" in the real main window against UDP servers inside the test.
#include "BrowserRig.h"
#include "support/TempDir.h"

#include "app/Favorites.h"
#include "app/FavoritesDlg.h"

#include <filesystem>
#include <fstream>

namespace {

using namespace app;
using namespace testsupport;
using Texts = std::vector<std::string>;

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class CFavoritesRig : public CScriptRig<CFavoritesDlg, CFavoritesRig> {
public:
    using CScriptRig::CScriptRig;
    void SetCell(int row, int col, const std::string& text) { Table().GetCell(row, col)->SetString(text); }
    Texts Column(int col) { return testsupport::Column(Table(), col); }
    // Presses OK and answers the box: whether it showed text and the dialog stayed open.
    bool OkRefused(const std::string& text) {
        CBoxAnswers boxes;
        Click(IDOK);
        return boxes.Showed(text) && IsOpen();
    }
};

class FavoritesTest : public BrowserFixture {
protected:
    INT_PTR OpenDialog(const CFavoritesRig::Script& script) {
        return CFavoritesRig(script, nullptr, m_file, m_path).DoModal();
    }

    CTempDir m_dir;
    const std::string m_file = m_dir.File("favorites.dat");
};

TEST(FavoritesFileTest, LinesFieldsAndAddressesAreReadWhateverTheBytes) {
    using namespace std::string_literals;
    const std::string longName(100000, 'n');
    Texts read;
    for (const SFavorite& f :
         ParseFavorites("\xEF\xBB\xBF"
                        "1.2.3.4:5\tBom\tpw\r\n\n10.0.0.5\r\n\x01\xFF\0\x80\tbin\0ary\n"s +
                        "1.1.1.1\t" + longName + "\tp\textra\n2.2.2.2\tno line feed"))
        read.push_back(f.address + "|" + f.name + "|" + f.password);
    EXPECT_EQ(read, (Texts{"1.2.3.4:5|Bom|pw", "||", "10.0.0.5||", "\x01\xFF\0\x80|bin\0ary|"s,
                           "1.1.1.1|" + longName + "|p", "2.2.2.2|no line feed|"}));
    // Lines and fields are cleaned on writing (checked with the dialog); the default port fills in.
    auto address = [](const char* text) {
        const net::CSockAddr a = FavoriteAddress(text);
        return IsResolved(a) ? a.ToText() : "none";
    };
    EXPECT_EQ(address("10.0.0.5:0") + " " + address(" 10.0.0.5:28000 ") + " " + address("127.0.0.1[27961"),
              "10.0.0.5:27960 10.0.0.5:28000 127.0.0.1:27961");
    EXPECT_EQ(address("") + " " + address("\x01\xFF:1"), "none none");
}

TEST_F(FavoritesTest, DialogShowsTheLinesReversedRefusesBadEditsWritesThemBackInOrderAndKeepsItsSize) {
    using D = CFavoritesDlg;
    const std::string original =
        "10.0.0.1:27960\tfirst\t\r\n10.0.0.2:27960\tsecond\tpw\r\n10.0.0.3:1\tthird\t\r\n";
    WriteBytes(m_file, original);
    RECT wide = {};
    EXPECT_EQ(OpenDialog([&](CFavoritesRig& d) {
                  EXPECT_EQ(d.Column(D::COL_NAME), (Texts{"third", "second", "first"}));
                  EXPECT_EQ(d.Column(D::COL_PASSWORD), (Texts{"", "pw", ""}));
                  ::GetWindowRect(d, &wide);
                  wide.right += 100;
                  ::MoveWindow(d, wide.left, wide.top, wide.right - wide.left, wide.bottom - wide.top, TRUE);
                  d.Table().SetWidth(D::COL_NAME, 77);
                  // A bad address keeps the dialog open on its cell and the file unchanged.
                  d.SetCell(0, D::COL_ADDRESS, "not a host!");
                  d.SetCell(1, D::COL_NAME, " cleaned ");
                  EXPECT_TRUE(d.OkRefused("Invalid IP address."));
                  EXPECT_EQ(std::vector({d.Table().GetSelectedRow(), d.Table().GetCursorRow(),
                                         d.Table().GetCursorColumn()}),
                            std::vector({0, 0, int{D::COL_ADDRESS}}));
                  EXPECT_EQ(d.Column(D::COL_NAME)[1], "cleaned")
                      << "rows already visited keep their cleaning";
                  EXPECT_EQ(ReadFile(m_file), original);
                  d.Table().EndEdit(true); // the editor opened on the bad cell
                  d.SetCell(0, D::COL_ADDRESS, "10.0.0.9");
                  {
                      // Held open without sharing, as another program may: nothing written, edits kept.
                      HANDLE lock = ::CreateFileA(m_file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                  OPEN_EXISTING, 0, nullptr);
                      ASSERT_NE(lock, INVALID_HANDLE_VALUE);
                      EXPECT_TRUE(d.OkRefused("favorites.dat"));
                      ::CloseHandle(lock);
                  }
                  EXPECT_EQ(ReadFile(m_file), original);
                  d.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(ReadFile(m_file),
              "10.0.0.1:27960\tfirst\t\r\n10.0.0.2:27960\tcleaned\tpw\r\n10.0.0.9:27960\tthird\t\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1) << "no temporary left";
    // Size and layout are restored. New goes to the bottom of the table, so to the top of the file;
    // edits are cleaned and checked.
    EXPECT_EQ(OpenDialog([&](CFavoritesRig& d) {
                  RECT rc = {};
                  ::GetWindowRect(d, &rc);
                  EXPECT_EQ(rc.right - rc.left, wide.right - wide.left);
                  EXPECT_EQ(d.Table().GetWidth(D::COL_NAME), 77);
                  d.Click(IDC_FAVORITES_NEW);
                  EXPECT_EQ(d.Table().GetSelectedRow(), 3);
                  d.SetCell(0, D::COL_ADDRESS, "10.0.0.5");
                  d.SetCell(0, D::COL_NAME, "  two\twords ");
                  d.Table().SetSelectedRow(1);
                  d.Click(IDC_FAVORITES_DELETE);
                  d.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(ReadFile(m_file),
              "127.0.0.1:27960\tNew Server\t\r\n10.0.0.1:27960\tfirst\t\r\n10.0.0.5:27960\ttwo words\t\r\n");
    // A folder where no file can be made: the temporary file already fails.
    CFavoritesRig(
        [](CFavoritesRig& d) {
            d.Click(IDC_FAVORITES_NEW);
            EXPECT_TRUE(d.OkRefused("favorites.dat"));
        },
        nullptr, m_dir.File("gone\\favorites.dat"), m_path)
        .DoModal();
}

TEST_F(FavoritesTest, TenThousandLinesLoadAndSaveQuickly) {
    std::string content = "\xEF\xBB\xBF";
    for (int i = 0; i < 10000; ++i)
        content += "10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1:27960\tServer " +
                   std::to_string(i) + (i % 1000 == 7 ? std::string(5000, '\x01') : "") + "\tpw\n";
    WriteBytes(m_file, content);
    OpenDialog([&](CFavoritesRig& d) {
        d.Table().DeleteAllRows();
        const int64_t start = net::ReadCounter();
        d.ReadFavoritesIntoTable();
        EXPECT_TRUE(d.WriteFavoritesFromTable());
        EXPECT_LT(CounterMs(start, net::ReadCounter()), 2000.0) << "load and save";
    });
    const auto saved = ReadFavoritesFile(m_file);
    ASSERT_EQ(saved.size(), 10000u);
    EXPECT_EQ(saved[9999].name, "Server 9999");
}

TEST_F(FavoritesTest, QueryFavoritesDuringARunQueriesExactlyTheFavourites) {
    CFakeNetwork master(MakeServers(20, 1));
    CFakeNetwork favourites(
        {MakeServer("Own name", 1), SFakeServer{"x", 2, 20, {}, true}}); // the second one silent
    WriteBytes(m_file, favourites.ServerAddress(0).ToText() + "\tFav zero\t\r\n" +
                           favourites.ServerAddress(1).ToText() + "\tFav one\tsecret\r\nno host!\tbad\t\r\n");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    m_key.WriteString(value::kMaster, master.MasterText());
    m_key.WriteInt(value::kSpeed, 0);
    Open([&](CBrowserRig& w) {
        std::string shown;
        CDialogCloser closer([&](HWND dialog) {
            shown = ReadBox(dialog).caption + (::IsWindowEnabled(w) ? " over an enabled window" : "");
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        w.Click(IDC_FAVORITES_DIALOG);
        EXPECT_EQ(shown, "Favorites ...");

        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(PumpUntil([&] { return w.done.size() >= 2; }, 20000));
        w.Select(IDC_SPEED, 5);
        w.Click(IDC_QUERY_FAVORITES);
        const size_t masterRequests = master.StatusRequests();
        EXPECT_EQ(w.Label(IDC_SERVERS_TO_QUERY), 2) << "the favourites with a resolvable address";
        EXPECT_EQ(w.Lists().ServerTable().GetRowCount(), 0);
        ASSERT_TRUE(w.WaitForRunEnd());
        EXPECT_EQ(Column(w.Lists().ServerTable(), CServerLists::SERVER_NAME), Texts{"Own name"});
        const query::CGameServer* silent = w.Servers().Find(favourites.ServerAddress(1));
        ASSERT_NE(silent, nullptr);
        EXPECT_EQ(silent->name, "Fav one") << "named by the favourite until its server answers";
        EXPECT_EQ(silent->password, "secret");
        // One request to the answering server, two to the silent one.
        EXPECT_EQ(favourites.StatusRequests(), 3u);
        EXPECT_EQ(master.StatusRequests(), masterRequests) << "the stopped run sends nothing more";
    });
    std::filesystem::current_path(previous);
}

} // namespace
