// The root of the object framework: every FC object names its class and can
// tell whether another object is of the same class.
#pragma once

#include <cstdint>

class __FCBase {
public:
    __FCBase() = default;
    __FCBase(const __FCBase &) = delete;
    __FCBase &operator=(const __FCBase &) = delete;

    // A class that has no identifier of its own answers 0.
    virtual int32_t GetClassID() const { return 0; }

    // One text per class: two objects of the same class answer the same
    // address, which is what IsSameClass compares.
    virtual const char *GetClassName() const;

    virtual ~__FCBase() = default;

    // False for null; otherwise whether both name texts are the same object.
    virtual bool IsSameClass(const __FCBase *other) const;
};
