#include "table/model/Row.h"

namespace Tabra {

void CRow::Assign(const CRow* source) {
    if (source == this)
        return;
    for (int col = ColumnCount() - 1; col >= 0; --col)
        Cell(col)->Assign(source->Cell(col));
}

} // namespace Tabra
