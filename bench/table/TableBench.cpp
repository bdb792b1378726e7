// Filling, sorting, refilling and exporting a Player table of 100,000 rows.
#include "table/model/ColDef.h"
#include "table/model/Export.h"
#include "table/model/RowSort.h"
#include "table/model/Table.h"

#include "AllocationCount.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace Tabra;

constexpr int ROWS = 100000;
constexpr int PLAYERS_PER_SERVER = 20;
// Texts longer than this live on the heap (the standard library's short-string buffer).
const size_t SHORT_TEXT = std::string().capacity();

enum PlayerColumn { PLAYER, SERVER_PING, PING, FRAGS, SERVER, MAP, PLAYERS, TYPE, KEY, COLUMNS };

struct CPlayerRecord {
    std::string name;
    int serverPing, ping, frags;
    std::string server, map, players;
    int type, key;
};

std::string RandomText(std::mt19937& random, int minLength, int maxLength) {
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<int> letter(0, 51);
    std::string text;
    for (int i = length(random); i > 0; --i) {
        int c = letter(random);
        text += static_cast<char>(c < 26 ? 'a' + c : 'A' + c - 26);
    }
    return text;
}

std::vector<CPlayerRecord> MakePlayers() {
    std::mt19937 random(2026);
    const char* maps[] = {"oasis", "goldrush", "radar", "battery", "fueldump", "railgun"};
    std::vector<CPlayerRecord> players;
    for (int server = 0; server < ROWS / PLAYERS_PER_SERVER; ++server) {
        std::string name = "ET Server " + RandomText(random, 4, 20);
        int ping = static_cast<int>(random() % 400);
        std::string map = maps[random() % 6];
        int type = static_cast<int>(random() % 11);
        for (int i = 0; i < PLAYERS_PER_SERVER; ++i)
            players.push_back({RandomText(random, 3, 24), ping, static_cast<int>(random() % 999),
                               static_cast<int>(random() % 200) - 20, name, map, "20/32", type, server});
    }
    std::shuffle(players.begin(), players.end(), random);
    return players;
}

const std::vector<CPlayerRecord>& Players() {
    static const std::vector<CPlayerRecord> players = MakePlayers();
    return players;
}

long long HeapTexts() {
    long long count = 0;
    for (const CPlayerRecord& p : Players())
        for (const std::string* text : {&p.name, &p.server, &p.map, &p.players})
            count += text->size() > SHORT_TEXT ? 1 : 0;
    return count;
}

class CPlayerTable {
public:
    CPlayerTable()
        : m_types(
              "0?\n1?\nSMP - Single Map Objective\nSW - Stopwatch\nCmp - Campagne\nLMS\n6?\n7?\n8?\n9?\n") {
        CStringCol text(kDrawLeft);
        CIntCol number(kDrawRight);
        CEnumCol type(m_types.Get(), ENUM_TEXT);
        const CColDef* types[COLUMNS] = {&text, &number, &number, &number, &text,
                                         &text, &text,   &type,   &number};
        table.SetColumnCount(COLUMNS);
        for (int col = 0; col < COLUMNS; ++col)
            table.SetColumn(col, types[col]->CreateFactory(), types[col]->CreateCompare());
        table.BuildLayout();
        m_columns = SColumnSet(std::vector<SColumnState>(COLUMNS, SColumnState{"Column", 50, true}));
        m_columns.columns[KEY].visible = false;
    }

    void Fill() {
        for (const CPlayerRecord& p : Players()) {
            CRow* row = table.AddRow();
            row->Cell(PLAYER)->SetString(p.name);
            row->Cell(SERVER_PING)->SetInt(p.serverPing);
            row->Cell(PING)->SetInt(p.ping);
            row->Cell(FRAGS)->SetInt(p.frags);
            row->Cell(SERVER)->SetString(p.server);
            row->Cell(MAP)->SetString(p.map);
            row->Cell(PLAYERS)->SetString(p.players);
            row->Cell(TYPE)->SetInt(p.type);
            row->Cell(KEY)->SetInt(p.key);
        }
    }

    std::string CellText(int row, int col) const {
        const CCellData* cell = table.GetCell(row, col);
        if (col == TYPE)
            return m_types.Get()->Lookup(cell->GetInt()).text;
        return cell->GetText() != nullptr ? cell->GetString() : std::to_string(cell->GetInt());
    }

    const SColumnSet& Columns() const { return m_columns; }

    CTable table;

private:
    CEnum m_types;
    SColumnSet m_columns;
};

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Fill(benchmark::State& state) {
    CPlayerTable players;
    long long allocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        players.table.DeleteAllRows();
        state.ResumeTiming();
        long long before = AllocationCount();
        players.Fill();
        allocations = AllocationCount() - before;
    }
    state.counters["rows"] = players.table.GetRowCount();
    state.counters["allocs_per_row"] = static_cast<double>(allocations) / ROWS;
    state.counters["non_text_allocs_per_row"] = static_cast<double>(allocations - HeapTexts()) / ROWS;
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond);

void BM_DeleteAllAndRefill(benchmark::State& state) {
    CPlayerTable players;
    players.Fill();
    long long allocations = 0;
    for (auto _ : state) {
        long long before = AllocationCount();
        players.table.DeleteAllRows();
        players.Fill();
        allocations = AllocationCount() - before;
    }
    state.counters["non_text_allocs_per_row"] = static_cast<double>(allocations - HeapTexts()) / ROWS;
    state.counters["blocks"] = players.table.GetBlockCount();
}
BENCHMARK(BM_DeleteAllAndRefill)->Unit(benchmark::kMillisecond);

// Table::Sort against std::sort over the same row pointers with the same row order, from the same
// unsorted start; ratio = Sort time / std::sort time.
void SortAgainstStdSort(benchmark::State& state, const CSortKeys& keys) {
    CPlayerTable players;
    double sortSeconds = 0;
    double stdSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        players.table.DeleteAllRows();
        players.Fill();
        std::vector<CRow*> rows;
        for (int row = 0; row < ROWS; ++row)
            rows.push_back(players.table.GetRow(row));
        CRowOrder order(players.table, keys);
        state.ResumeTiming();

        auto start = std::chrono::steady_clock::now();
        players.table.Sort(keys);
        sortSeconds += Seconds(start);
        start = std::chrono::steady_clock::now();
        std::sort(rows.begin(), rows.end(), std::cref(order));
        stdSeconds += Seconds(start);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["sort_ms"] = sortSeconds * 1000 / static_cast<double>(state.iterations());
    state.counters["std_sort_ms"] = stdSeconds * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio_to_std_sort"] = sortSeconds / stdSeconds;
}

void BM_SortByName(benchmark::State& state) {
    SortAgainstStdSort(state, {PLAYER, SORT_ASCENDING, -1});
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SortByServerPingThenName(benchmark::State& state) {
    SortAgainstStdSort(state, {SERVER_PING, SORT_ASCENDING, PLAYER, SORT_ASCENDING, -1});
}
BENCHMARK(BM_SortByServerPingThenName)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ResortSorted(benchmark::State& state) {
    CPlayerTable players;
    players.Fill();
    CSortKeys keys{SERVER_PING, SORT_ASCENDING, PLAYER, SORT_ASCENDING, -1};
    players.table.Sort(keys);
    for (auto _ : state)
        players.table.Sort(keys);
}
BENCHMARK(BM_ResortSorted)->Unit(benchmark::kMillisecond);

void BM_CopyAll(benchmark::State& state) {
    CPlayerTable players;
    players.Fill();
    CellTextFn text = [&players](int row, int col) { return players.CellText(row, col); };
    size_t bytes = 0;
    for (auto _ : state)
        bytes = CopyText(players.table, players.Columns(), text, true).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CopyAll)->Unit(benchmark::kMillisecond);

void BM_HtmlExport(benchmark::State& state) {
    CPlayerTable players;
    players.Fill();
    CellTextFn text = [&players](int row, int col) { return players.CellText(row, col); };
    size_t bytes = 0;
    for (auto _ : state)
        bytes = HtmlExport(players.table, players.Columns(), text).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_HtmlExport)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
