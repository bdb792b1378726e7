// Joining from the real main window with a stand-in ET.exe that logs each start (its command line and
// current folder) to launch.txt beside itself.
#include "BrowserRig.h"

#include "app/JoinServer.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>

namespace {

using namespace app;
using namespace testsupport;
namespace fs = std::filesystem;

class JoinServerTest : public BrowserFixture {
protected:
    // Puts the stand-in client into folder and returns its path.
    static std::string InstallClient(const std::string& folder) {
        char module[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, module, MAX_PATH);
        fs::create_directories(folder);
        const fs::path client = fs::path(folder) / "ET.exe";
        fs::copy_file(fs::path(module).parent_path() / "ET.exe", client,
                      fs::copy_options::overwrite_existing);
        return client.string();
    }
    // The client's log once it holds `starts` starts (or after 15 s).
    static std::string WaitForStarts(const std::string& client, int starts) {
        const std::string log = (fs::path(client).parent_path() / "launch.txt").string();
        PumpUntil([&] { return std::ranges::count(ReadFile(log), '\n') >= 2 * starts; }, 15000);
        return ReadFile(log);
    }
    // One start as the client logs it: command line, then current folder.
    static std::string Start(const std::string& client, const std::string& arguments) {
        return "\"" + client + "\"" + arguments + "\n" + fs::path(client).parent_path().string() + "\n";
    }

    CTempDir m_dir;
    CFakeNetwork m_network{{MakeServer("Alpha", 3)}};
    const std::string m_program = fs::current_path().string();
};

TEST_F(JoinServerTest, ClientIsLocatedStartedWithTheChosenPasswordInItsFolderAndLocatedAgainWhenMoved) {
    const std::string client = InstallClient(m_dir.File("game"));
    m_key.WriteInt(value::kAutoClose, 0);
    m_key.WriteInt(value::kLastView, 1); // the Server list, whose selected row is joined
    const std::string question = "Ambiguous passwords! Use the favorite one (fav)?";
    struct Case {
        const char *box, *favorite;
        int answer;           // to the message boxes
        std::string shown;    // a text of the message boxes, "" when none is shown
        const char* password; // passed on; nullptr when nothing starts
    } cases[] = {{"  same\t", "same", IDOK, "", "same"},
                 {"mine", "fav", IDYES, question, "fav"},
                 {"mine", "fav", IDNO, question, "mine"},
                 {"mine", "fav", IDCANCEL, question, nullptr},
                 {"", "fav", IDOK, "", ""},
                 {"a\"b", "", IDOK, kUnsafePassword, nullptr},
                 {"mine", "line\nbreak", IDYES, kUnsafePassword, nullptr},
                 {"semi;colon", "", IDOK, "", "semi;colon"}};
    // Joins and answers the file dialog with path, or cancels it when path is empty.
    auto joinChoosing = [](CBrowserRig& w, const std::string& path) {
        CDialogCloser closer([&](HWND dialog) {
            ::SetDlgItemTextA(dialog, 1148, path.c_str()); // file name box of the explorer dialog
            ::PostMessageA(dialog, WM_COMMAND, path.empty() ? IDCANCEL : IDOK, 0);
        });
        w.Click(IDC_JOIN);
        EXPECT_TRUE(closer.Done()) << "the file dialog was shown";
    };
    std::string expected, address;
    OpenQueried(m_network, [&](CBrowserRig& w, query::CGameServer& server) {
        address = server.address.ToText();
        joinChoosing(w, ""); // no client known yet: asked for, cancelled, nothing stored
        EXPECT_EQ(m_key.ReadString(value::kGamePath, "<missing>"), "<missing>");
        joinChoosing(w, client);
        EXPECT_EQ(m_key.ReadString(value::kGamePath, "<missing>"), client);
        expected = Start(client, " connect " + address);
        int starts = 1;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string("box '") + c.box + "', favourite '" + c.favorite + "'");
            server.password = c.favorite;
            ::SetDlgItemTextA(w, IDC_PASSWORD, c.box);
            CBoxAnswers boxes(c.answer);
            w.Click(IDC_JOIN);
            EXPECT_TRUE(c.shown.empty() ? boxes.shown.empty() : boxes.Showed(c.shown));
            if (c.password) {
                expected += Start(client, *c.password ? " connect \"" + address + "\"; password \"" +
                                                            c.password + "\""
                                                      : " connect " + address);
                ++starts;
            }
            EXPECT_EQ(fs::current_path().string(), m_program);
        }
        // A double click on a player's row of the Player list joins that player's server.
        w.SelectTab(CServerLists::VIEW_PLAYERS);
        ::SetDlgItemTextA(w, IDC_PASSWORD, "");
        Tabra::CTableCtrl& players = w.Lists().PlayerTable();
        const LPARAM at = MAKELPARAM(20, players.Geometry().RowTop(1) + players.Geometry().rowHeight / 2);
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::SendMessageA(players.Body(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        expected += Start(client, " connect " + address);
        // Every start in order, none of the refused or cancelled ones among them.
        EXPECT_EQ(WaitForStarts(client, starts + 1), expected);
        EXPECT_TRUE(w.IsOpen()) << "AutoClose 0 keeps the window";
        ::SetDlgItemTextA(w, IDC_PASSWORD, "kept ");
    });

    // The installation moved: starting the stored path fails and the user is asked again.
    m_key.WriteString(value::kGamePath, m_dir.File("moved\\ET.exe"));
    m_key.WriteInt(value::kAutoClose, 1);
    m_key.WriteInt(value::kLastView, 1);
    const std::string second = InstallClient(m_dir.File("second"));
    OpenQueried(m_network, [&](CBrowserRig& w, query::CGameServer&) {
        joinChoosing(w, second);
        EXPECT_FALSE(w.IsOpen()) << "AutoClose closes the window";
    });
    EXPECT_EQ(m_key.ReadString(value::kGamePath, "<missing>"), second);
    EXPECT_EQ(WaitForStarts(second, 1), Start(second, " connect \"" + address + "\"; password \"kept\""));
}

} // namespace
