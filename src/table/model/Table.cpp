#include "table/model/Table.h"

#include "table/model/RowSort.h"

#include <algorithm>
#include <cassert>

namespace Tabra {

namespace {

char* AllocateBytes(size_t size) {
    return static_cast<char*>(::operator new(size));
}

} // namespace

CTable::CTable() {
    m_columns.reserve(16);
    m_rows.reserve(254);
    m_free.reserve(254);
}

CTable::~CTable() {
    Reset();
}

void CTable::SetColumnCount(int count) {
    Reset();
    m_columns.resize(static_cast<size_t>(count));
}

// Building a layout again drops the rows laid out by the previous one.
void CTable::BuildLayout() {
    DropLayout();
    int count = GetColumnCount();
    m_layout = std::make_unique<SRowLayout>();
    m_layout->table = this;
    m_layout->count = count;
    m_rowSize = static_cast<int>(sizeof(CRow));
    for (SColumn& column : m_columns) {
        m_layout->offsets.push_back(m_rowSize);
        column.data = std::make_unique<CColData>(&m_rows, m_rowSize);
        m_rowSize += column.factory->CellSize();
    }
    m_prototypeStorage.reset(AllocateBytes(static_cast<size_t>(m_rowSize)));
    m_prototype = new (m_prototypeStorage.get()) CRow(m_layout.get());
    ConstructCells(m_prototype, true);
}

void CTable::DropLayout() {
    DeleteAllRows();
    if (m_prototype != nullptr) {
        DestroyCells(m_prototype);
        m_prototype = nullptr;
        m_prototypeStorage.reset();
    }
    m_rowSize = 0;
    m_layout.reset();
}

void CTable::Reset() {
    DropLayout();
    while (!m_columns.empty())
        m_columns.pop_back();
}

// Copying a table onto itself, directly or through a handle, would first drop what it copies.
void CTable::CopyStructure(CTableInterface* source) {
    if (source->Resolve() == this)
        return;
    int count = source->GetColumnCount();
    SetColumnCount(count);
    for (int col = 0; col < count; ++col)
        SetColumn(col, source->GetFactory(col)->Clone(), source->GetCompare(col)->Clone());
    BuildLayout();
}

int CTable::AddColumn(CCellFactory* factory, CCellCompare* compare) {
    SColumn column;
    column.compare.reset(compare);
    column.factory.reset(factory);
    m_columns.push_back(std::move(column));
    return GetColumnCount() - 1;
}

// The table owns what it is given: a replaced factory or comparer is deleted, unless it is handed in
// again.
void CTable::SetColumn(int col, CCellFactory* factory, CCellCompare* compare) {
    SColumn& column = m_columns[static_cast<size_t>(col)];
    if (column.factory.get() != factory)
        column.factory.reset(factory);
    if (column.compare.get() != compare)
        column.compare.reset(compare);
}

void CTable::SetCompare(int col, CCellCompare* compare) {
    SColumn& column = m_columns[static_cast<size_t>(col)];
    if (column.compare.get() != compare)
        column.compare.reset(compare);
}

void CTable::ConstructCells(CRow* row, bool fromFactories) {
    for (int col = GetColumnCount() - 1; col >= 0; --col) {
        CCellFactory* factory = Column(col).factory.get();
        const CCellData* source = fromFactories ? factory->Prototype() : m_prototype->Cell(col);
        void* place = reinterpret_cast<char*>(row) + m_layout->offsets[static_cast<size_t>(col)];
        [[maybe_unused]] CCellData* cell = factory->CopyConstruct(place, source);
        assert(static_cast<void*>(cell) == place);
    }
}

void CTable::DestroyCells(CRow* row) {
    for (int col = GetColumnCount() - 1; col >= 0; --col)
        row->Cell(col)->~CCellData();
}

// Rows of a new block are handed out from the end of the block backwards.
void CTable::AllocateBlock() {
    m_blocks.emplace_back(AllocateBytes(static_cast<size_t>(m_rowSize) * kRowsPerBlock));
    char* block = m_blocks.back().get();
    for (int i = 0; i < kRowsPerBlock; ++i) {
        CRow* row =
            new (block + static_cast<size_t>(i) * static_cast<size_t>(m_rowSize)) CRow(m_layout.get());
        ConstructCells(row, false);
        m_free.push_back(row);
    }
}

CRow* CTable::TakeFreeRow() {
    assert(m_prototype != nullptr && "rows need a layout");
    if (m_free.empty())
        AllocateBlock();
    CRow* row = m_free.back();
    m_free.pop_back();
    return row;
}

CRow* CTable::AddRowCopy(const CRow* source) {
    CRow* row = AddRow();
    row->Assign(source);
    return row;
}

CRow* CTable::AddRow() {
    CRow* row = TakeFreeRow();
    m_rows.push_back(row);
    return row;
}

CRow* CTable::InsertRowCopy(int index, const CRow* source) {
    CRow* row = InsertRow(index);
    row->Assign(source);
    return row;
}

CRow* CTable::InsertRow(int index) {
    CRow* row = TakeFreeRow();
    m_rows.insert(m_rows.begin() + index, row);
    return row;
}

void CTable::DeleteRow(int index) {
    CRow* row = GetRow(index);
    DestroyCells(row);
    row->selected = 0;
    row->cursorMark = 0;
    ConstructCells(row, false);
    m_free.push_back(row);
    m_rows.erase(m_rows.begin() + index);
}

// Every row of a block holds constructed cells (free rows hold prototype copies), so each block's
// texts are freed before the block.
void CTable::DeleteAllRows() {
    for (CBlock& block : m_blocks) {
        for (int col = 0; col < GetColumnCount(); ++col) {
            if (!Column(col).factory->Prototype()->NeedsCleanup())
                continue;
            int32_t offset = m_layout->offsets[static_cast<size_t>(col)];
            for (int i = 0; i < kRowsPerBlock; ++i) {
                auto* row = reinterpret_cast<CRow*>(block.get() +
                                                    static_cast<size_t>(i) * static_cast<size_t>(m_rowSize));
                CRow::CellAt(row, offset)->~CCellData();
            }
        }
    }
    m_blocks.clear();
    m_rows.clear();
    m_free.clear();
}

void CTable::DeleteSelectedRows() {
    for (int row = GetRowCount() - 1; row >= 0; --row)
        if (IsSelected(row))
            DeleteRow(row);
}

void CTable::MoveRow(int from, int to) {
    CRow* row = GetRow(from);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, row);
}

void CTable::Sort(const CSortKeys& keys) {
    if (keys.IsEmpty() || m_rows.empty())
        return;
    CRowOrder order(*this, keys);
    QuickSort(m_rows.data(), m_rows.data() + m_rows.size(), order);
}

CRow* CTable::SetRow(int index, const CRow* source) {
    CRow* row = GetRow(index);
    row->Assign(source);
    return row;
}

int CTable::FindNext(int col, const CCellData* value, int after) const {
    const CColData* data = GetColData(col);
    for (int row = std::max(after + 1, 0); row < GetRowCount(); ++row)
        if (data->Cell(row)->IsEqual(value))
            return row;
    return -1;
}

int CTable::FindInsertPos(int col, const CCellData* value) const {
    CCellFactory* factory = GetFactory(col);
    CBlock storage(AllocateBytes(static_cast<size_t>(factory->CellSize())));
    CCellData* probe = factory->CopyConstruct(storage.get(), m_prototype->Cell(col));
    probe->Assign(value);
    int32_t offset = GetColData(col)->offset;
    auto position = std::lower_bound(
        m_rows.begin(), m_rows.end(), probe,
        [offset](const CRow* row, const CCellData* key) { return CRow::CellAt(row, offset)->IsLess(key); });
    probe->~CCellData();
    return static_cast<int>(position - m_rows.begin());
}

void CTable::SelectRange(int first, int last, bool on) {
    for (int row = first; row <= last; ++row)
        Select(row, on);
}

void CTable::ToggleRange(int first, int last) {
    for (int row = first; row <= last; ++row)
        GetRow(row)->selected ^= 1;
}

int CTable::GetSelectedCount() const {
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const CRow* row) { return row->selected != 0; }));
}

void CTable::CopyRows(CTableInterface* source) {
    if (source->Resolve() == this)
        return;
    DeleteAllRows();
    for (int index = 0; index < source->GetRowCount(); ++index)
        AddRow()->Assign(source->GetRow(index));
}

} // namespace Tabra
