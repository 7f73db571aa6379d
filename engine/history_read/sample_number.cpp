#include "engine/history_read/sample_number.h"

#include <limits>

double SampleNumber(const UA_Variant& value) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    if (!UA_Variant_isScalar(&value) || value.data == nullptr) return none;
    const void* d = value.data;
    switch (value.type->typeKind) {
        case UA_DATATYPEKIND_BOOLEAN:
            return *static_cast<const UA_Boolean*>(d) ? 1.0 : 0.0;
        case UA_DATATYPEKIND_SBYTE:
            return *static_cast<const UA_SByte*>(d);
        case UA_DATATYPEKIND_BYTE:
            return *static_cast<const UA_Byte*>(d);
        case UA_DATATYPEKIND_INT16:
            return *static_cast<const UA_Int16*>(d);
        case UA_DATATYPEKIND_UINT16:
            return *static_cast<const UA_UInt16*>(d);
        case UA_DATATYPEKIND_INT32:
            return *static_cast<const UA_Int32*>(d);
        case UA_DATATYPEKIND_UINT32:
            return *static_cast<const UA_UInt32*>(d);
        case UA_DATATYPEKIND_INT64:
            return static_cast<double>(*static_cast<const UA_Int64*>(d));
        case UA_DATATYPEKIND_UINT64:
            return static_cast<double>(*static_cast<const UA_UInt64*>(d));
        case UA_DATATYPEKIND_FLOAT:
            return *static_cast<const UA_Float*>(d);
        case UA_DATATYPEKIND_DOUBLE:
            return *static_cast<const UA_Double*>(d);
        default:
            return none;
    }
}
