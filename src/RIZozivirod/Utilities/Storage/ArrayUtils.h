#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

// Sorting of arrays seen through their interface. The predicates are "less than": Sort's takes
// two elements, SortIndecies' takes two indexes into the source. Neither locks.
namespace QV::ArrayUtils {

// Sorts count elements from first on, in place. Equal elements keep their order. Elements move
// by their own move operations, so shared pointers keep their reference counts.
template <class T, class Less>
void Sort(IArray<T>& array, uint32_t first, uint32_t count, Less less) {
    if (count < 2) {
        return;
    }
    const uint32_t total = array.GetCount();
    if (first > total || count > total - first) {
        QV_THROW_IN(std::out_of_range, "QV::ArrayUtils::Sort");
    }
    T* const data = array.GetData() + first;
    std::stable_sort(data, data + count, less);
}

// Fills indices with first .. first + count - 1 ordered by the source elements they name; ties
// go to the smaller index. The source is not changed.
template <class T, class Less>
void SortIndecies(IArray<unsigned int>& indices, const IArray<T>& source, uint32_t first, uint32_t count,
                  Less less) {
    const uint32_t total = source.GetCount();
    if (first > total || count > total - first) {
        QV_THROW_IN(std::out_of_range, "QV::ArrayUtils::SortIndecies");
    }
    // An index array that cannot take count elements is refused rather than written past.
    if (indices.SetCount(count) != static_cast<int32_t>(count)) {
        QV_THROW_IN(std::out_of_range, "QV::ArrayUtils::SortIndecies");
    }
    if (count == 0) {
        return;
    }
    unsigned int* const data = indices.GetData();
    for (uint32_t i = 0; i < count; ++i) {
        data[i] = first + i;
    }
    if (count < 2) {
        return;
    }
    std::sort(data, data + count, [&less](unsigned int a, unsigned int b) {
        if (less(a, b)) {
            return true;
        }
        return !less(b, a) && a < b;
    });
}

}  // namespace QV::ArrayUtils
