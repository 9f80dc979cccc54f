#include "meter/property_bag.h"

#include <gtest/gtest.h>

TEST(PropertyBag, KeysMatchWithoutCaseAndAreStoredLowerCase) {
    PropertyBag bag;
    bag.WriteProperty("Border", 0, 1);
    EXPECT_EQ(bag.Keys(), QStringList{"border"});
    EXPECT_TRUE(bag.Contains("BORDER"));
    EXPECT_EQ(bag.ReadProperty("bOrDeR", 1), 0);
}

TEST(PropertyBag, DefaultIsNotWrittenAndReplacesAnEarlierEntry) {
    PropertyBag bag;
    bag.WriteProperty("Value", 0, 0);
    EXPECT_FALSE(bag.Contains("value"));
    bag.WriteProperty("Value", 7, 0);
    EXPECT_EQ(bag.ReadProperty("value", 0), 7);
    bag.WriteProperty("VALUE", 0, 0);
    EXPECT_TRUE(bag.Keys().isEmpty());
}

TEST(PropertyBag, MissingKeyGivesTheDefault) {
    const PropertyBag bag;
    EXPECT_EQ(bag.ReadProperty("Border", 1), 1);
    EXPECT_EQ(bag.ReadProperty("Value", 0), 0);
}
