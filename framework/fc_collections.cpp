#include <algorithm>
#include <cstdint>
#include <memory>

#include "framework/fc_collections.h"
#include "framework/storage_growth.h"

namespace {

// The array's first length: a short piece's systems all fit, with one
// block for the array rather than a move at every tenth.
constexpr int64_t kFirstRoom = 32;

int32_t GrowthStep(int32_t count) {
    if (count > 10000) return 1000;
    if (count > 1000) return 100;
    if (count > 100) return 50;
    return 10;
}

}  // namespace

const char *__FCCollection::GetClassName() const {
    static const char name[] = "__FCCollection";
    return name;
}

__FCCollection::~__FCCollection() {
    ClearAll();
    delete[] elements;
    elements = nullptr;
}

void __FCCollection::Grow(int32_t extra) {
    const int64_t wanted = int64_t{count} + extra;
    if (capacity >= wanted) return;
    const int64_t step = GrowthStep(count);
    const int64_t newCapacity = step * ((wanted + step) / step);
    if (newCapacity > room) {
        const int64_t newRoom =
            std::max({newCapacity, std::min<int64_t>(2 * room, int64_t{INT32_MAX}), kFirstRoom});
        // A capacity past the 32-bit count cannot be held: ask for the
        // impossible so the allocation fails.
        __FCBase **grown = framework::NewArray<__FCBase *>(
            newCapacity > INT32_MAX ? UINT64_MAX : static_cast<uint64_t>(newRoom));
        std::fill(std::copy(elements, elements + count, grown), grown + newRoom, nullptr);
        delete[] elements;
        elements = grown;
        room = newRoom;
    }
    capacity = static_cast<int32_t>(newCapacity);
}

void __FCCollection::Add(__FCBase *element) {
    std::unique_ptr<__FCBase> owned(element);
    // Most adds find room: a load adds an element per host record.
    if (count >= capacity) Grow(1);
    elements[count++] = owned.release();
}

void __FCCollection::ClearAll() {
    for (int32_t i = 0; i < count; ++i) {
        delete elements[i];
        elements[i] = nullptr;
    }
    count = 0;
}

int32_t __FCCollection::ForEach(FCElementVisitor *visitor) {
    int32_t visited = 0;
    for (int32_t i = 0; i < count; ++i) {
        __FCBase *element = GetItemAt(i);
        if (element == nullptr) continue;
        if (!visitor->Visit(element)) break;
        ++visited;
    }
    return visited;
}

int32_t __FCCollection::ForEachIndex(FCElementVisitor *visitor) {
    int32_t visited = 0;
    for (int32_t i = 0; i < count; ++i) {
        __FCBase *element = GetItemAt(i);
        if (element == nullptr) continue;
        if (!visitor->VisitIndexed(element, i)) break;
        ++visited;
    }
    return visited;
}

__FCBase *__FCCollection::FindFirst(FCElementVisitor *visitor) {
    for (int32_t i = 0; i < count; ++i) {
        __FCBase *element = GetItemAt(i);
        if (element != nullptr && visitor->Matches(element)) return element;
    }
    return nullptr;
}

int32_t __FCCollectionData::LoadAll() {
    ClearAll();
    const std::unique_ptr<__FCBaseData> loader(CreateElement());
    if (!loader->LoadFirst()) return GetCount();
    do {
        std::unique_ptr<__FCBaseData> element(loader->CreateObject());
        element->SetDataKey(loader->GetDataKey());
        element->SetDocumentID(loader->GetDocumentID());
        element->CopyDataFrom(*loader);
        Add(element.release());
    } while (loader->LoadNext());
    return GetCount();
}

bool __FCCollectionData::SaveAll() {
    for (int32_t i = 0; i < GetCount(); ++i) {
        // Only data objects have a record to save.
        auto *element = dynamic_cast<__FCBaseData *>(GetItemAt(i));
        if (element != nullptr && !element->Save()) return false;
    }
    return true;
}
