// The server collection: one record per address, in the address key order. Owned by the main window;
// during a query run only the worker writes the records it has not yet handed over.
#pragma once

#include "query/GameServer.h"

#include <map>

namespace query {

class CServerCollection {
public:
    using Map = std::map<net::CSockAddr, CGameServer>;

    // Assigns the whole record to the entry of its address, creating the entry when there is none.
    CGameServer& Store(const CGameServer& record) { return m_servers[record.address] = record; }
    CGameServer* Find(const net::CSockAddr& address) {
        auto it = m_servers.find(address);
        return it == m_servers.end() ? nullptr : &it->second;
    }
    void Clear() { m_servers.clear(); }
    size_t Count() const { return m_servers.size(); }
    bool Empty() const { return m_servers.empty(); }

    Map::iterator begin() { return m_servers.begin(); }
    Map::iterator end() { return m_servers.end(); }
    Map::const_iterator begin() const { return m_servers.begin(); }
    Map::const_iterator end() const { return m_servers.end(); }

private:
    Map m_servers;
};

} // namespace query
