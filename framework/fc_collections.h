// Owning collections of framework objects, and the data collections that
// load one element per host record of a tag.
#pragma once

#include <cstdint>

#include "framework/fc_base.h"

// What ForEach, ForEachIndex and FindFirst ask about each element; the
// caller owns it.
class FCElementVisitor {
public:
    virtual ~FCElementVisitor() = default;
    // True to go on to the next element.
    virtual bool Visit(__FCBase *element) = 0;
    virtual bool VisitIndexed(__FCBase *element, int32_t index) = 0;
    virtual bool Matches(__FCBase *element) = 0;
};

class __FCIteratorBase : public __FCBase {
public:
    // The number of elements for which the visitor answered true.
    virtual int32_t ForEach(FCElementVisitor *visitor) = 0;
    virtual __FCBase *FindFirst(FCElementVisitor *visitor) = 0;
    virtual int32_t ForEachIndex(FCElementVisitor *visitor) = 0;
};

// An owning array of elements that grows in steps chosen by its size.
class __FCCollection : public __FCIteratorBase {
public:
    __FCCollection() = default;
    const char *GetClassName() const override;
    ~__FCCollection() override;

    int32_t ForEach(FCElementVisitor *visitor) override;
    __FCBase *FindFirst(FCElementVisitor *visitor) override;
    int32_t ForEachIndex(FCElementVisitor *visitor) override;

    int32_t GetCount() const { return count; }
    int32_t GetCapacity() const { return capacity; }
    // Null outside 0 .. count - 1. Inline: every pass over the elements
    // asks for each.
    __FCBase *GetItemAt(int32_t index) const {
        if (elements == nullptr || index < 0 || index >= count) return nullptr;
        return elements[index];
    }
    // Makes room for `extra` more elements.
    void Grow(int32_t extra);
    // The collection owns `element` from the call on, even when making room
    // for it runs out of memory.
    void Add(__FCBase *element);
    // Deletes every element; the array and its capacity stay.
    void ClearAll();

private:
    int32_t count = 0;
    // What GetCapacity reports: grows in the steps GrowthStep chooses.
    int32_t capacity = 0;
    // The array's length, at least the capacity: it grows by doubling, so
    // that a long load copies its elements a few times rather than once
    // for every step of 100 or 1,000.
    int64_t room = 0;
    __FCBase **elements = nullptr;
};

class __FCCollectionData : public __FCCollection {
public:
    // A new, empty heap object of the element class.
    virtual __FCBaseData *CreateElement() const = 0;
    // Replaces the elements by one copy per host record of the element's
    // tag, in the host's order; answers how many there are.
    virtual int32_t LoadAll();
    // Saves the elements in order, stopping at the first that fails.
    virtual bool SaveAll();
};

class __FCCollectionNoInciOther : public __FCCollectionData {};
