#pragma once

#include <vector>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

// A shared object that counts the live instances and logs the value of each one destroyed, for
// checking the reference accounting of containers. Named (not anonymous) so exception texts
// name it plainly.
namespace QVTest {

class Item : public QV::LRefCountedObject {
public:
    explicit Item(int value) : mValue(value) { ++Live(); }
    Item(const Item& other) : QV::LRefCountedObject(other), mValue(other.mValue) { ++Live(); }
    ~Item() override {
        --Live();
        Destroyed().push_back(mValue);
    }

    static QV::RCPtr<Item> Create(int value) { return QV::RCPtr<Item>(new Item(value)); }

    QV::RCPtr<QV::LRefCountedObject> CreateCopy() const override {
        return QV::RCPtr<QV::LRefCountedObject>(new Item(*this));
    }

    int Value() const { return mValue; }

    static int& Live() {
        static int live = 0;
        return live;
    }
    static std::vector<int>& Destroyed() {
        static std::vector<int> destroyed;
        return destroyed;
    }

private:
    int mValue;
};

}  // namespace QVTest
