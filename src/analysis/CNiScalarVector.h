#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>

// Raised by a checked element access outside the vector.
class VectorAccessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An owned contiguous array of doubles or floats with a 32-bit element count, used to hand
// signals to the analysis routines. Every element access is bounds-checked.
template <typename T> class CNiScalarVector {
    static_assert(std::is_same_v<T, double> || std::is_same_v<T, float>,
                  "CNiScalarVector holds double or float elements");

public:
    CNiScalarVector() = default;
    explicit CNiScalarVector(std::int64_t n) { SetSize(n); }
    // Element-wise conversion, e.g. a float signal widened to doubles for a library call.
    template <typename U> explicit CNiScalarVector(const CNiScalarVector<U>& other) {
        Assign(other.Data(), other.Size());
    }
    CNiScalarVector(const CNiScalarVector& other) { Assign(other.Data(), other.Size()); }
    CNiScalarVector(CNiScalarVector&& other) noexcept
        : data_(std::move(other.data_)), size_(other.size_), capacity_(other.capacity_) {
        other.size_ = 0;
        other.capacity_ = 0;
    }
    CNiScalarVector& operator=(const CNiScalarVector& other) {
        if (this != &other)
            Assign(other.Data(), other.Size());
        return *this;
    }
    CNiScalarVector& operator=(CNiScalarVector&& other) noexcept {
        if (this != &other) {
            data_ = std::move(other.data_);
            size_ = other.size_;
            capacity_ = other.capacity_;
            other.size_ = 0;
            other.capacity_ = 0;
        }
        return *this;
    }

    // Sets the element count and zeroes every element. Storage grows only when the count
    // exceeds what the vector already holds, so a vector reused for signals of similar length
    // is allocated once. A count that does not fit in 32 bits is refused before allocating.
    void SetSize(std::int64_t n) {
        Resize(n);
        std::fill_n(data_.get(), size_, T{});
    }

    // Resizes to n and copies n values from src, converting each to T.
    template <typename U> void Assign(const U* src, std::int64_t n) {
        Resize(n);
        std::copy_n(src, size_, data_.get());
    }

    T& operator[](std::int64_t index) { return data_[Checked(index)]; }
    const T& operator[](std::int64_t index) const { return data_[Checked(index)]; }
    T& at(std::int64_t index) { return data_[Checked(index)]; }
    const T& at(std::int64_t index) const { return data_[Checked(index)]; }

    T* Data() { return data_.get(); }
    const T* Data() const { return data_.get(); }
    std::uint32_t Size() const { return size_; }

    T* begin() { return data_.get(); }
    T* end() { return data_.get() + size_; }
    const T* begin() const { return data_.get(); }
    const T* end() const { return data_.get() + size_; }

private:
    // Sets the count, keeping the storage when it is large enough; new elements are not set.
    void Resize(std::int64_t n) {
        if (n < 0 || n > std::int64_t{std::numeric_limits<std::uint32_t>::max()})
            throw std::length_error("Invalid vector size: " + std::to_string(n) + ".");
        const auto count = static_cast<std::uint32_t>(n);
        if (count > capacity_) {
            data_.reset();
            size_ = capacity_ = 0;
            data_.reset(new T[count]);
            capacity_ = count;
        }
        size_ = count;
    }

    std::size_t Checked(std::int64_t index) const {
        if (index < 0)
            throw VectorAccessError("Invalid vector access: index value cannot be negative.");
        if (index >= std::int64_t{size_})
            throw VectorAccessError("Invalid vector access: index = " + std::to_string(index) +
                                    ". Vector size is " + std::to_string(size_) + ".");
        return static_cast<std::size_t>(index);
    }

    std::unique_ptr<T[]> data_;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;
};
