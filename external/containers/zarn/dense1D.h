// dense1D: a length and a start offset viewing reference-counted storage.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <initializer_list>

#include "storage.h"

namespace zarn {

template <class T, int A = 8>
class dense1D {
 public:
  dense1D() noexcept = default;
  // Allocating constructors leave the vector empty when memory is lacking.
  explicit dense1D(std::size_t n) { resize(n); }
  dense1D(std::size_t n, const T& fill) { resize(n, fill); }
  dense1D(std::initializer_list<T> values) {
    if (reserve(values.size())) {
      std::copy(values.begin(), values.end(), storage_.data());
      size_ = values.size();
    }
  }

  // Copies share storage; `copy` makes a deep copy.
  dense1D(const dense1D&) noexcept = default;
  dense1D& operator=(const dense1D&) noexcept = default;
  dense1D(dense1D&& other) noexcept
      : storage_(std::move(other.storage_)), offset_(other.offset_), size_(other.size_), room_(other.room_) {
    other.offset_ = other.size_ = 0;
    other.room_ = unbounded;
  }
  dense1D& operator=(dense1D&& other) noexcept {
    if (this != &other) {
      storage_ = std::move(other.storage_);
      offset_ = other.offset_;
      size_ = other.size_;
      room_ = other.room_;
      other.offset_ = other.size_ = 0;
      other.room_ = unbounded;
    }
    return *this;
  }
  ~dense1D() = default;

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  // Entries the storage holds from the view's start. A sub-vector view may
  // use only its own entries in place: growing it past them moves it to
  // storage of its own, so that it never writes over its parent's entries.
  std::size_t capacity() const noexcept {
    const std::size_t held = storage_.capacity() > offset_ ? storage_.capacity() - offset_ : 0;
    return held < room_ ? held : room_;
  }

  T& operator[](std::size_t i) noexcept {
    assert(i < size_ && "dense1D index out of range");
    return data()[i];
  }
  const T& operator[](std::size_t i) const noexcept {
    assert(i < size_ && "dense1D index out of range");
    return data()[i];
  }
  T* data() noexcept { return storage_ ? storage_.data() + offset_ : nullptr; }
  const T* data() const noexcept { return storage_ ? storage_.data() + offset_ : nullptr; }
  T* begin() noexcept { return data(); }
  T* end() noexcept { return data() + size_; }
  const T* begin() const noexcept { return data(); }
  const T* end() const noexcept { return data() + size_; }
  T& back() noexcept { return (*this)[size_ - 1]; }
  const T& back() const noexcept { return (*this)[size_ - 1]; }

  // Room for at least n entries, contents kept. When the storage must grow it
  // grows to max(n, growth * capacity), so that repeated appends stay linear.
  bool reserve(std::size_t n, std::size_t growth = 1) noexcept {
    if (n <= capacity()) return true;
    std::size_t target = n;
    const std::size_t cap = capacity();
    if (growth > 1 && cap <= static_cast<std::size_t>(-1) / growth) target = std::max(n, cap * growth);
    Ptr<T> grown(storage_block<T>::create(target));
    if (!grown) return false;
    if (size_ > 0) std::memcpy(grown.data(), data(), size_ * sizeof(T));
    storage_ = std::move(grown);
    offset_ = 0;
    room_ = unbounded;
    return true;
  }

  bool resize(std::size_t n) noexcept { return resize(n, T()); }
  bool resize(std::size_t n, const T& fill) noexcept {
    if (n <= size_) {  // shrinking keeps the storage
      size_ = n;
      return true;
    }
    if (!reserve(n, 2)) return false;
    T* entries = data();
    for (std::size_t k = size_; k < n; ++k) entries[k] = fill;
    size_ = n;
    return true;
  }

  // As resize, but the entries past the old length are left unset (for
  // callers that write every one of them before reading any), and storage
  // that must grow takes exactly n entries.
  bool resize_for_overwrite(std::size_t n) noexcept {
    if (n > size_ && !reserve(n)) return false;
    size_ = n;
    return true;
  }

  bool push_back(const T& value) noexcept {
    if (size_ == capacity()) {
      const T copy_of_value = value;  // value may live in the storage that moves
      if (!reserve(std::max<std::size_t>(size_ + 1, 4), 2)) return false;
      data()[size_++] = copy_of_value;
      return true;
    }
    data()[size_++] = value;
    return true;
  }
  bool push_back_n(const T& value, std::size_t n) noexcept {
    if (n > static_cast<std::size_t>(-1) - size_) return false;
    return resize(size_ + n, value);
  }
  void pop_back() noexcept {
    assert(size_ > 0 && "pop_back on an empty dense1D");
    --size_;
  }
  // Length 0, storage kept.
  void clear() noexcept { size_ = 0; }

  // Deep copy into storage of its own; false (nothing changed) on failure.
  bool copy(const dense1D& other) noexcept {
    if (this == &other) return true;
    Ptr<T> fresh(storage_block<T>::create(other.size_));
    if (!fresh) return false;
    if (other.size_ > 0) std::memcpy(fresh.data(), other.data(), other.size_ * sizeof(T));
    storage_ = std::move(fresh);
    offset_ = 0;
    room_ = unbounded;
    size_ = other.size_;
    return true;
  }
  void shallow_copy(const dense1D& other) noexcept { *this = other; }

  // View of entries start ... start + n - 1, sharing this vector's storage.
  dense1D sub_vector(std::size_t start, std::size_t n) const noexcept {
    assert(start <= size_ && n <= size_ - start && "sub_vector out of range");
    dense1D view(*this);
    view.offset_ = offset_ + start;
    view.size_ = n;
    view.room_ = n;
    return view;
  }

  // Number of views and copies sharing this storage (0 without storage).
  std::size_t use_count() const noexcept { return storage_ ? storage_->use_count() : 0; }

 private:
  static constexpr std::size_t unbounded = static_cast<std::size_t>(-1);

  Ptr<T> storage_;
  std::size_t offset_ = 0;
  std::size_t size_ = 0;
  std::size_t room_ = unbounded;  // entries usable in place from the start
};

}  // namespace zarn
