#include "framework/fc_base.h"

const char *__FCBase::GetClassName() const {
    static const char name[] = "__FCBase";
    return name;
}

bool __FCBase::IsSameClass(const __FCBase *other) const {
    return other != nullptr && other->GetClassName() == GetClassName();
}
