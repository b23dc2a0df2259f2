// Every framework class answers its own identifier and name, the same name
// text for every object of the class, and makes new objects of its class.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/fc_measure.h"
#include "framework/fc_pageformat.h"
#include "framework/fc_region.h"
#include "framework/fc_staffsystem.h"
#include "framework/fc_string.h"

namespace {

// A data class that leaves its name to __FCBaseData.
class UnnamedRecord : public __FCNoInciOther {
public:
    int32_t GetClassID() const override { return 5; }
    void *GetRecordBuffer() override { return nullptr; }
    UnnamedRecord *CreateObject() const override { return new UnnamedRecord; }
    uint32_t GetDataTag() const override { return 0; }
    uint32_t GetRecordSize() const override { return 0; }
};

struct Identity {
    std::shared_ptr<__FCBase> object, sameClass;
    int32_t id;
    std::string name;
};

template <typename T>
Identity Of(int32_t id, const char *name) {
    return {std::make_shared<T>(), std::make_shared<T>(), id, name};
}

TEST(ClassIdentity, EveryClassHasItsIdentifierAndName) {
    const std::vector<Identity> classes = {
        Of<__FCBase>(0, "__FCBase"),
        Of<UnnamedRecord>(5, "__FCBaseData"),
        Of<FCString>(0, "FCString"),
        Of<__FCCollection>(0, "__FCCollection"),
        Of<FCStaffSystems>(0, "FCStaffSystems"),
        Of<FCMusicRegion>(0, "FCMusicRegion"),
        Of<FCStaffSystem>(97, "FCStaffSystem"),
        Of<FCMeasure>(49, "FCMeasure"),
        Of<FCPageFormatPrefs>(68, "FCPageFormatPrefs"),
        Of<FCMeasureFirstAttachment>(0, "FCMeasureFirstAttachment"),
        Of<FCMeasureSecondAttachment>(0, "FCMeasureSecondAttachment"),
        Of<FCMeasureThirdAttachment>(0, "FCMeasureThirdAttachment"),
    };
    for (const Identity &c : classes) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.object->GetClassID(), c.id);
        EXPECT_EQ(c.object->GetClassName(), c.name);
        EXPECT_EQ(c.object->GetClassName(), c.sameClass->GetClassName()) << "one text per class";
        EXPECT_TRUE(c.object->IsSameClass(c.sameClass.get()));
        for (const Identity &other : classes) {
            if (&other == &c) continue;
            EXPECT_FALSE(c.object->IsSameClass(other.object.get())) << other.name;
        }
    }
}

// Each data class makes a new, empty object of its own class; the staff
// systems make staff systems.
TEST(ClassIdentity, EveryDataClassMakesNewEmptyObjectsOfItsClass) {
    FCStaffSystem system;
    FCMeasure measure;
    FCPageFormatPrefs pageFormat;
    UnnamedRecord unnamed;
    FCStaffSystems systems;
    const std::unique_ptr<__FCBaseData> element(systems.CreateElement());
    for (const __FCBaseData *factory :
         {static_cast<const __FCBaseData *>(&system), static_cast<const __FCBaseData *>(&measure),
          static_cast<const __FCBaseData *>(&pageFormat),
          static_cast<const __FCBaseData *>(&unnamed)}) {
        const std::unique_ptr<__FCBaseData> made(factory->CreateObject());
        EXPECT_TRUE(made->IsSameClass(factory)) << factory->GetClassName();
        EXPECT_EQ(made->GetClassID(), factory->GetClassID());
        EXPECT_EQ(made->GetLoadedSize(), 0u);
        EXPECT_EQ(made->HeldBytes(), nullptr);
    }
    EXPECT_TRUE(element->IsSameClass(&system));
    EXPECT_EQ(element->GetLoadedSize(), 0u);
    const std::unique_ptr<FCPageFormatPrefs> prefs(pageFormat.CreateObject());
    EXPECT_EQ(prefs->GetExtraValue1(), 1536);
    EXPECT_EQ(prefs->GetExtraValue2(), 100);
}

}  // namespace
