#include "dxf_data/entity_table.h"

namespace tessavue {

EntityTableRows& EntityTable() {
    static EntityTableRows table;
    return table;
}

void ClearEntityTable(EntityTableRows& table) {
    for (EntityRecord& row : table) {
        row.Kind = -1;
        row.Layer = "0";
    }
}

void ClearEntityTable() { ClearEntityTable(EntityTable()); }

}  // namespace tessavue
