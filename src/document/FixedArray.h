#pragma once

#include "document/ZeroedPages.h"

#include <cstddef>
#include <memory>
#include <new>

// Fixed-capacity array allocated once, zero-filled by the system. The pages are committed only
// when touched, so a large record costs memory only for what a file actually fills; large
// arrays sit on 2 MB boundaries and ask for huge pages, which fault in far faster.
template <typename T, std::size_t Capacity> class FixedArray {
public:
    FixedArray() : data_(static_cast<T*>(zeroedpages::Allocate(Capacity * sizeof(T)))) {
        if (!data_)
            throw std::bad_alloc();
    }
    FixedArray(const FixedArray&) = delete;
    FixedArray& operator=(const FixedArray&) = delete;

    T& operator[](std::size_t i) { return data_.get()[i]; }
    const T& operator[](std::size_t i) const { return data_.get()[i]; }
    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    static constexpr std::size_t size() { return Capacity; }
    T* begin() { return data_.get(); }
    T* end() { return data_.get() + Capacity; }

private:
    struct Release {
        void operator()(T* p) const { zeroedpages::Free(p, Capacity * sizeof(T)); }
    };
    std::unique_ptr<T, Release> data_;
};
