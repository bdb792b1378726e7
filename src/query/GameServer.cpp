#include "query/GameServer.h"

#include "base/TextUtil.h"
#include "net/Sync.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace query {

// The team sources of one reply: the two position lists, and the slot string "P" that servers without
// the lists publish (one character per client slot, '-' for an empty one).
struct CGameServer::STeamSources {
    std::string allies, axis, slots;
    bool hasLists = false, hasSlots = false;
};

const char kStatusRequest[15] = {'\xFF', '\xFF', '\xFF', '\xFF', 'g', 'e',  't', 's',
                                 't',    'a',    't',    'u',    's', '\n', '\0'};

namespace {

// A cursor over the reply; a NUL byte ends the text for the parser.
class CReplyReader {
public:
    explicit CReplyReader(const std::string& text) : m_p(text.c_str()) {}

    char Peek() const { return *m_p; }
    bool AtEnd() const { return *m_p == '\0'; }
    void Skip() { ++m_p; }
    void SkipBlanks() {
        while (*m_p == ' ')
            ++m_p;
    }

    // Reads up to the end, a line feed, or a backslash outside quotes. Quotes toggle the quoted state
    // and are dropped; '^' drops itself and the next character (colour codes). A '^' right before
    // the end of the token is dropped alone, so it cannot swallow a line feed or a separator and
    // merge the next player or variable into this one.
    std::string ReadToken() {
        std::string token;
        bool quoted = false;
        for (;;) {
            char c = *m_p;
            if (EndsToken(c, quoted))
                return token;
            ++m_p;
            if (c == '"')
                quoted = !quoted;
            else if (c == '^') {
                if (!EndsToken(*m_p, quoted))
                    ++m_p;
            } else
                token += c;
        }
    }

    // Blanks, an optional '-', then decimal digits (32-bit, wrapping like the original arithmetic).
    int ReadInt() {
        SkipBlanks();
        bool negative = false;
        if (*m_p == '-') {
            negative = true;
            ++m_p;
        }
        uint32_t value = 0;
        while (*m_p >= '0' && *m_p <= '9')
            value = value * 10 + static_cast<uint32_t>(*m_p++ - '0');
        return static_cast<int>(negative ? 0u - value : value);
    }

private:
    static bool EndsToken(char c, bool quoted) { return c == '\0' || c == '\n' || (c == '\\' && !quoted); }

    const char* m_p;
};

// The value of one piece of a team list, read like atoi; 0 for anything that is no position.
int PositionValue(const char* begin, const char* end) {
    while (begin != end && (*begin == '\t' || *begin == '\r' || *begin == '\v' || *begin == '\f'))
        ++begin;
    bool negative = begin != end && *begin == '-';
    if (begin != end && (*begin == '-' || *begin == '+'))
        ++begin;
    int value = 0;
    for (; begin != end && *begin >= '0' && *begin <= '9'; ++begin) {
        value = value * 10 + (*begin - '0');
        if (value > static_cast<int>(kMaxPlayers))
            return 0; // beyond any position a record keeps
    }
    return negative ? 0 : value;
}

// Marks `team` at every player position the blank-separated list names, in one pass over the list.
// An earlier mark wins, so the allies list marked first takes precedence over the axis list.
void MarkPositions(const std::string& list, int team, std::vector<int>& teams) {
    const char* end = list.c_str() + list.size();
    for (const char* p = list.c_str();; ++p) {
        const char* blank = std::find(p, end, ' ');
        int position = PositionValue(p, blank);
        if (position > 0 && teams[position] < 0)
            teams[position] = team;
        if (blank == end)
            return;
        p = blank;
    }
}

// The team of one slot character of the "P" variable: '1' axis, '2' allies, anything else spectating.
int SlotTeam(char slot) {
    return slot == '1' ? TEAM_AXIS : slot == '2' ? TEAM_ALLIES : TEAM_SPECTATOR;
}

} // namespace

CGameServer::CGameServer(const net::CSockAddr& address_, const char* name_, const char* password_)
    : address(address_), name(name_ ? name_ : address_.ToText()), password(password_ ? password_ : "") {
    Reset();
    timeout = 1000;
}

void CGameServer::Reset() {
    tries = 0;
    timeout = 1200;
    ping = kPingNone;
    maxLives = 0;
    gameType = 0;
    maxClients = 0;
    players.clear();
    variables.clear();
}

int64_t CGameServer::ElapsedMs() const {
    return net::ElapsedMs(sendTime);
}

bool CGameServer::RequestStatus(net::CSockUDP& endpoint) {
    if (IsFinished() || (tries != 0 && ElapsedMs() <= timeout))
        return false;
    if (++tries > 2)
        return false;
    int length = sizeof kStatusRequest;
    const int error = endpoint.SendTo(kStatusRequest, length, address);
    sendTime = net::ReadCounter();
    // A full send buffer is passing: the request counts as lost and is repeated. Anything else (no
    // route, host unreachable) will not change within the run.
    if (error != 0 && error != net::kSockErrWouldBlock && error != net::kSockErrNoBuffers) {
        tries = kTriesGivenUp;
        return false;
    }
    return true;
}

void CGameServer::OnStatusReply(const std::string& text) {
    if (IsFinished())
        return;
    ping = static_cast<int>(ElapsedMs());
    tries = kTriesAnswered;
    ParseStatus(text);
}

void CGameServer::ParseStatus(const std::string& text) {
    CReplyReader in(text);
    while (!in.AtEnd() && in.Peek() != '\n')
        in.Skip();
    if (in.AtEnd())
        return;
    in.Skip();

    STeamSources teams;
    while (!in.AtEnd() && in.Peek() != '\n') {
        if (in.Peek() != '\\')
            return;
        in.Skip();
        std::string varName = in.ReadToken();
        if (in.Peek() != '\\')
            return;
        in.Skip();
        std::string value = in.ReadToken();
        if (variables.size() == kMaxVariables)
            continue; // read past, so that the players still come
        std::string lower = base::LowerCopy(varName);
        if (lower == "players_allies" || lower == "players_axis") {
            (lower == "players_allies" ? teams.allies : teams.axis) = value;
            teams.hasLists = true;
        } else if (lower == "p") {
            teams.slots = value;
            teams.hasSlots = true;
        } else {
            SetKnownVariable(lower, value);
        }
        variables.emplace_back(std::move(varName), std::move(value));
    }
    if (in.Peek() == '\n')
        in.Skip();

    while (!in.AtEnd() && players.size() < kMaxPlayers) {
        CPlayer player;
        player.score = in.ReadInt();
        player.ping = in.ReadInt();
        in.SkipBlanks();
        player.name = in.ReadToken();
        base::TrimText(player.name);
        players.push_back(std::move(player));
        if (in.Peek() != '\n')
            break;
        in.Skip();
    }
    AssignTeams(teams);
}

// The position lists win when present. Otherwise the occupied slots of "P" give the teams in slot
// order, but only when they are exactly as many as the players: a client still connecting shows in one
// and not the other, and matching them anyway would hand players each other's teams.
void CGameServer::AssignTeams(const STeamSources& sources) {
    if (sources.hasLists) {
        std::vector<int> teams(kMaxPlayers + 1, -1);
        MarkPositions(sources.allies, TEAM_ALLIES, teams);
        MarkPositions(sources.axis, TEAM_AXIS, teams);
        for (size_t i = 0; i < players.size(); ++i)
            players[i].team = std::max(teams[i + 1], static_cast<int>(TEAM_SPECTATOR));
    } else if (sources.hasSlots) {
        std::string occupied;
        std::copy_if(sources.slots.begin(), sources.slots.end(), std::back_inserter(occupied),
                     [](char slot) { return slot != '-'; });
        if (occupied.size() != players.size())
            return;
        for (size_t i = 0; i < players.size(); ++i)
            players[i].team = SlotTeam(occupied[i]);
    }
}

void CGameServer::SetKnownVariable(const std::string& lowerName, const std::string& value) {
    int number = base::ReadInt(value.c_str());
    if (lowerName == "sv_hostname")
        name = value;
    else if (lowerName == "g_needpass")
        needPassword = number != 0;
    else if (lowerName == "mapname")
        map = value;
    else if (lowerName == "sv_maxclients")
        maxClients = number;
    else if (lowerName == "g_gametype")
        gameType = number;
    else if (lowerName == "g_friendlyfire")
        friendlyFire = number != 0;
    else if (lowerName == "g_maxlives")
        maxLives = number;
    else if (lowerName == "sv_punkbuster")
        punkBuster = number != 0;
    else if (lowerName == "mod_url")
        mod = base::LowerCopy(value);
}

} // namespace query
