// A growable array whose every indexed access is range-checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaron {

class ERangeError : public std::out_of_range {
public:
    ERangeError(int64_t index, size_t length)
        : std::out_of_range("Range check error: index " + std::to_string(index) +
                            " is outside an array of length " + std::to_string(length)),
          index_(index), length_(length) {}
    int64_t Index() const { return index_; }
    size_t Length() const { return length_; }

private:
    int64_t index_;
    size_t length_;
};

template <typename T>
class DynamicArray {
public:
    size_t Length() const { return items_.size(); }
    void SetLength(size_t n) { items_.resize(n); }

    T& operator[](int64_t i) { return items_[Check(i)]; }
    const T& operator[](int64_t i) const { return items_[Check(i)]; }

    const T* data() const { return items_.data(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    size_t Check(int64_t i) const {
        if (i < 0 || static_cast<uint64_t>(i) >= items_.size()) throw ERangeError(i, items_.size());
        return static_cast<size_t>(i);
    }
    std::vector<T> items_;
};

}  // namespace tessaron
