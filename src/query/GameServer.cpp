#include "query/GameServer.h"

#include "net/Sync.h"
#include "net/TextUtil.h"

#include <cstdlib>

namespace query {

const char STATUS_REQUEST[15] = {'\xFF', '\xFF', '\xFF', '\xFF', 'g', 'e',  't', 's',
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

bool ListContains(const std::string& list, int position) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(' ', start);
        if (end == std::string::npos)
            end = list.size();
        if (atoi(list.substr(start, end - start).c_str()) == position)
            return true;
        start = end + 1;
    }
    return false;
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
    ping = PING_NONE;
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
    if (tries != 0 && ElapsedMs() <= timeout)
        return false;
    if (++tries > 2)
        return false;
    int length = sizeof STATUS_REQUEST;
    endpoint.SendTo(STATUS_REQUEST, length, address);
    sendTime = net::ReadCounter();
    return true;
}

void CGameServer::OnStatusReply(const std::string& text) {
    if (IsFinished())
        return;
    ping = static_cast<int>(ElapsedMs());
    tries = TRIES_ANSWERED;
    ParseStatus(text);
}

void CGameServer::ParseStatus(const std::string& text) {
    CReplyReader in(text);
    while (!in.AtEnd() && in.Peek() != '\n')
        in.Skip();
    if (in.AtEnd())
        return;
    in.Skip();

    std::string allies, axis;
    while (!in.AtEnd() && in.Peek() != '\n') {
        if (in.Peek() != '\\')
            return;
        in.Skip();
        std::string varName = in.ReadToken();
        if (in.Peek() != '\\')
            return;
        in.Skip();
        std::string value = in.ReadToken();
        std::string lower = net::LowerCopy(varName);
        if (lower == "players_allies")
            allies = value;
        else if (lower == "players_axis")
            axis = value;
        else
            SetKnownVariable(lower, value);
        variables.emplace_back(std::move(varName), std::move(value));
    }
    if (in.Peek() == '\n')
        in.Skip();

    int position = 0;
    while (!in.AtEnd()) {
        CPlayer player;
        player.score = in.ReadInt();
        player.ping = in.ReadInt();
        in.SkipBlanks();
        player.name = in.ReadToken();
        net::TrimText(player.name);
        ++position;
        player.team = ListContains(allies, position) ? TEAM_ALLIES
                      : ListContains(axis, position) ? TEAM_AXIS
                                                     : TEAM_SPECTATOR;
        players.push_back(std::move(player));
        if (in.Peek() != '\n')
            break;
        in.Skip();
    }
}

void CGameServer::SetKnownVariable(const std::string& lowerName, const std::string& value) {
    int number = atoi(value.c_str());
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
        mod = net::LowerCopy(value);
}

} // namespace query
