#include "framework/fc_staffsystem.h"

#include <cstring>

#include "framework/block_pool.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"

namespace {

// The staff system's one name text, which tells its objects (IsSameClass).
constexpr char kStaffSystemName[] = "FCStaffSystem";

// A short piece's systems fit in one chunk; a long one's take a heap
// allocation per 32 systems.
constexpr std::size_t kSystemsPerChunk = 32;

framework::BlockPool staffSystemBlocks{sizeof(FCStaffSystem), kSystemsPerChunk};

}  // namespace

void *FCStaffSystem::operator new(std::size_t size) {  // NOLINT(misc-new-delete-overloads)
    if (size != sizeof(FCStaffSystem)) return ::operator new(size);
    return staffSystemBlocks.Allocate();
}

void FCStaffSystem::operator delete(void *object, std::size_t size) {
    if (size != sizeof(FCStaffSystem)) {
        ::operator delete(object);
        return;
    }
    staffSystemBlocks.Free(object);
}

const char *FCStaffSystem::GetClassName() const { return kStaffSystemName; }

uint32_t FCStaffSystem::GetDataTag() const { return hostdata::kStaffSystemTag; }

void FCStaffSystem::CopyDataFrom(const __FCBaseData &other) {
    std::memcpy(record, static_cast<const FCStaffSystem &>(other).record, kRecordSize);
    HoldCopyOf(other, record, kRecordSize);
}

int16_t FCStaffSystem::GetFirstMeasure() const {
    return hostdata::ReadI16(record, kFirstMeasureOffset);
}

uint16_t FCStaffSystem::GetLeftIndent() const {
    return hostdata::ReadU16(record, kLeftIndentOffset);
}

void FCStaffSystem::SetLeftIndent(uint16_t indent) {
    hostdata::WriteU16(record, kLeftIndentOffset, indent);
}

const char *FCStaffSystems::GetClassName() const {
    static const char name[] = "FCStaffSystems";
    return name;
}

FCStaffSystem *FCStaffSystems::GetItemAt(int32_t index) const {
    // Only a staff system, or a class derived from it that keeps its name,
    // answers the staff system's name text: the framework's class test, and
    // far cheaper than a dynamic_cast on every element of every pass.
    __FCBase *element = __FCCollection::GetItemAt(index);
    if (element == nullptr || element->GetClassName() != kStaffSystemName) return nullptr;
    return static_cast<FCStaffSystem *>(element);
}
