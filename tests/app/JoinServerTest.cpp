// Joining from the real main window with a stand-in ET.exe that logs each start (its command line and
// current folder) to launch.txt beside itself.
#include "BrowserFixture.h"

#include "app/JoinServer.h"
#include "support/TempDir.h"

#include <filesystem>

namespace {

using apptest::CBrowserRig;
namespace fs = std::filesystem;
namespace value = app::value;

// Counts the window's closing by Cancel (the way a join closes it).
class CJoinRig : public CBrowserRig {
public:
    using CBrowserRig::CBrowserRig;
    int cancels = 0;

protected:
    void OnCancel() override {
        ++cancels;
        CBrowserRig::OnCancel();
    }
};

// Answers every dialog that shows up on this thread while it lives, the first with `first` and any
// later one with OK, and keeps the texts they showed.
class CBoxAnswers {
public:
    explicit CBoxAnswers(int first) {
        s_answer = first;
        s_shown = {};
        s_known = wintest::ThreadDialogs();
        m_timer = ::SetTimer(nullptr, 0, 50, Tick);
    }
    ~CBoxAnswers() { ::KillTimer(nullptr, m_timer); }
    static const wintest::SBoxTexts& Shown() { return s_shown; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (HWND box = wintest::FindThreadDialog(s_known)) {
            s_known.push_back(box);
            const auto texts = wintest::ReadBox(box).texts;
            s_shown.texts.insert(s_shown.texts.end(), texts.begin(), texts.end());
            ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(s_answer), 0);
            s_answer = IDOK;
        }
    }
    UINT_PTR m_timer;
    static inline int s_answer = IDOK;
    static inline wintest::SBoxTexts s_shown;
    static inline std::vector<HWND> s_known;
};

class JoinServerTest : public apptest::BrowserFixture {
protected:
    // Puts the stand-in client into folder (made when missing) and returns its path.
    std::string InstallClient(const std::string& folder) {
        char module[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, module, MAX_PATH);
        fs::create_directories(folder);
        const fs::path client = fs::path(folder) / "ET.exe";
        fs::copy_file(fs::path(module).parent_path() / "ET.exe", client,
                      fs::copy_options::overwrite_existing);
        return client.string();
    }
    static std::string LogOf(const std::string& client) {
        return (fs::path(client).parent_path() / "launch.txt").string();
    }
    // Waits until the client's log holds `starts` starts; returns the log's lines.
    static std::vector<std::string> WaitForStarts(const std::string& client, size_t starts) {
        std::vector<std::string> lines;
        wintest::PumpUntil(
            [&] {
                lines.clear();
                std::istringstream in(testsupport::ReadFile(LogOf(client)));
                for (std::string line; std::getline(in, line);)
                    lines.push_back(line);
                return lines.size() >= 2 * starts;
            },
            15000);
        return lines;
    }
    static std::string CurrentFolder() { return fs::current_path().string(); }

    // Joins with the box text; the first message box, if one comes, is answered with `answer`.
    static wintest::SBoxTexts Join(CBrowserRig& w, const std::string& box, int answer) {
        ::SetDlgItemTextA(w, IDC_PASSWORD, box.c_str());
        CBoxAnswers answers(answer != 0 ? answer : IDOK);
        w.Click(IDC_JOIN);
        return CBoxAnswers::Shown();
    }

    testsupport::TempDir m_dir;
};

TEST_F(JoinServerTest, PasswordChoiceAndCommandLine) {
    const std::string client = InstallClient(m_dir.File("game"));
    PutText(value::kGamePath, client);
    PutInt(value::kAutoClose, 0);
    const std::string question = "Ambiguous passwords! Use the favorite one (fav)?";
    struct {
        const char* box;
        const char* favorite;
        int answer;
        const char* question; // "" when none is asked
        const char* refusal;  // "" when the password is accepted
        const char* password; // passed on, when started; nullptr when nothing starts
    } cases[] = {
        {"", "", 0, "", "", ""},
        {"  same\t", "same", 0, "", "", "same"},
        {"mine", "fav", IDYES, question.c_str(), "", "fav"},
        {"mine", "fav", IDNO, question.c_str(), "", "mine"},
        {"mine", "fav", IDCANCEL, question.c_str(), "", nullptr},
        {"", "fav", 0, "", "", ""},
        {"a\"b", "", 0, "", app::kUnsafePassword, nullptr},
        {"a\tb", "", 0, "", app::kUnsafePassword, nullptr},
        {"mine", "line\nbreak", IDYES, "", app::kUnsafePassword, nullptr},
        {"semi;colon", "", 0, "", "", "semi;colon"},
    };
    std::string expectedLog;
    const std::string program = CurrentFolder();
    Open<CJoinRig>([&](CJoinRig& w, query::CGameServer& server) {
        const std::string address = server.address.ToText();
        size_t starts = 0;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string("box '") + c.box + "', favourite '" + c.favorite + "'");
            server.password = c.favorite;
            const wintest::SBoxTexts shown = Join(w, c.box, c.answer);
            EXPECT_EQ(shown.Shows(question), std::string(c.question) == question);
            EXPECT_EQ(shown.Shows(app::kUnsafePassword), *c.refusal != 0);
            if (!*c.question && !*c.refusal) {
                EXPECT_TRUE(shown.texts.empty()) << "no message box";
            }
            if (c.password) {
                const std::string args = *c.password
                                             ? " connect \"" + address + "\"; password \"" + c.password + "\""
                                             : " connect " + address;
                expectedLog += "\"" + client + "\"" + args + "\n" + m_dir.File("game") + "\n";
                ++starts;
            }
            EXPECT_EQ(CurrentFolder(), program);
        }
        // A double click on a player's row of the Player list joins that player's server.
        w.SelectTab(app::CServerLists::VIEW_PLAYERS);
        ::SetDlgItemTextA(w, IDC_PASSWORD, "");
        Tabra::CTableCtrl& players = w.Lists().PlayerTable();
        HWND body = players.Body();
        const LPARAM at = MAKELPARAM(20, players.RowTop(1) + players.GetRowHeight() / 2);
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::SendMessageA(body, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        expectedLog += "\"" + client + "\" connect " + address + "\n" + m_dir.File("game") + "\n";
        ++starts;
        // Every start in order, none of the refused or cancelled ones among them.
        const auto lines = WaitForStarts(client, starts);
        std::string log;
        for (const auto& line : lines)
            log += line + "\n";
        EXPECT_EQ(log, expectedLog);
        EXPECT_EQ(w.cancels, 0) << "AutoClose 0 keeps the window";
    });
}

TEST_F(JoinServerTest, ClientIsLocatedStoredStartedInItsFolderAndLocatedAgainWhenMoved) {
    const std::string first = InstallClient(m_dir.File("first"));
    const std::string program = CurrentFolder();
    std::string address;
    // Answers the file dialog with path, or cancels it when path is empty.
    auto joinChoosing = [](CJoinRig& w, const std::string& path) {
        wintest::CDialogCloser closer([&](HWND dialog) {
            ::SetDlgItemTextA(dialog, 1148, path.c_str()); // file name box of the explorer dialog
            ::PostMessageA(dialog, WM_COMMAND, path.empty() ? IDCANCEL : IDOK, 0);
        });
        w.Click(IDC_JOIN);
        EXPECT_TRUE(closer.Done()) << "the file dialog was shown";
    };
    Open<CJoinRig>([&](CJoinRig& w, query::CGameServer& server) {
        address = server.address.ToText();
        ::SetDlgItemTextA(w, IDC_PASSWORD, "");
        joinChoosing(w, "");
        EXPECT_EQ(GetText(value::kGamePath), "<missing>");
        EXPECT_EQ(w.cancels, 0);
        ::SetDlgItemTextA(w, IDC_PASSWORD, "kept ");
        joinChoosing(w, first);
        EXPECT_EQ(w.cancels, 1) << "AutoClose (default 1) closes the window";
        EXPECT_EQ(CurrentFolder(), program);
    });
    EXPECT_EQ(GetText(value::kGamePath), first);
    EXPECT_EQ(GetText(value::kPassword), "kept ") << "the settings were saved on closing";
    auto lines = WaitForStarts(first, 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\"" + first + "\" connect \"" + address + "\"; password \"kept\"");
    EXPECT_EQ(lines[1], m_dir.File("first"));

    // The installation moved: starting the stored path fails and the user is asked again.
    PutText(value::kGamePath, m_dir.File("moved\\ET.exe"));
    const std::string second = InstallClient(m_dir.File("second"));
    Open<CJoinRig>([&](CJoinRig& w, query::CGameServer&) { joinChoosing(w, second); });
    EXPECT_EQ(GetText(value::kGamePath), second);
    lines = WaitForStarts(second, 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], m_dir.File("second"));
}

} // namespace
