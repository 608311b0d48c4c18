// Reference-counted storage blocks shared by the container views.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

namespace zarn {

namespace detail {

#ifdef LINEGEN_FAULT_INJECTION
// Countdown of container allocations before one fails on purpose; negative
// means never. With `allocation_failures_stick` every allocation after that
// one fails too, which reaches the paths behind a fallback allocation.
// Thread-local so that tests running in parallel do not meet.
inline thread_local long allocation_countdown = -1;
inline thread_local bool allocation_failures_stick = false;
inline thread_local long injected_failures = 0;

inline bool injected_failure() noexcept {
  if (allocation_countdown < 0) return false;
  if (allocation_countdown == 0) {
    if (!allocation_failures_stick) allocation_countdown = -1;
    ++injected_failures;
    return true;
  }
  --allocation_countdown;
  return false;
}
#else
inline bool injected_failure() noexcept { return false; }
#endif

// The one place where the container layer takes memory. Returns null on
// failure, never throws.
inline void* allocate_bytes(std::size_t bytes) noexcept {
  if (injected_failure()) return nullptr;
  return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace detail

#ifdef LINEGEN_FAULT_INJECTION
// Makes the n-th container allocation from now on this thread fail (n = 0:
// the next one), and with `sticky` every one after it as well; a negative n
// switches injection off. Returns the failures injected since the last call.
inline long fail_allocation_after(long n, bool sticky = false) noexcept {
  const long injected = detail::injected_failures;
  detail::allocation_countdown = n;
  detail::allocation_failures_stick = sticky;
  detail::injected_failures = 0;
  return injected;
}
#endif

// Base of every shared storage block: an atomic reference count.
class ref_counted {
 public:
  void add_ref() noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  // Returns true when the last reference was dropped.
  bool drop_ref() noexcept { return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1; }
  std::size_t use_count() const noexcept { return refs_.load(std::memory_order_relaxed); }

 private:
  std::atomic<std::size_t> refs_{1};
};

// A block of `capacity` entries of a trivially copyable T, allocated in one
// piece with its header. Created with a count of one reference.
template <class T>
class storage_block : public ref_counted {
  static_assert(std::is_trivially_copyable<T>::value, "storage holds plain values");

 public:
  static storage_block* create(std::size_t capacity) noexcept {
    if (capacity > (std::numeric_limits<std::size_t>::max() - header_bytes()) / sizeof(T)) return nullptr;
    void* raw = detail::allocate_bytes(header_bytes() + capacity * sizeof(T));
    if (raw == nullptr) return nullptr;
    return new (raw) storage_block(capacity);
  }

  static void release(storage_block* block) noexcept {
    if (block != nullptr && block->drop_ref()) {
      block->~storage_block();
      std::free(block);
    }
  }

  std::size_t capacity() const noexcept { return capacity_; }
  T* data() noexcept { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + header_bytes()); }
  const T* data() const noexcept {
    return reinterpret_cast<const T*>(reinterpret_cast<const char*>(this) + header_bytes());
  }

 private:
  explicit storage_block(std::size_t capacity) noexcept : capacity_(capacity) {}
  ~storage_block() = default;

  static constexpr std::size_t header_bytes() noexcept {
    constexpr std::size_t align = alignof(std::max_align_t);
    return (sizeof(storage_block) + align - 1) / align * align;
  }

  std::size_t capacity_;
};

// Intrusive shared pointer to a storage block.
template <class T>
class Ptr {
 public:
  Ptr() noexcept = default;
  // Takes over a fresh block (its count of one becomes this pointer's).
  explicit Ptr(storage_block<T>* adopted) noexcept : block_(adopted) {}
  Ptr(const Ptr& other) noexcept : block_(other.block_) {
    if (block_ != nullptr) block_->add_ref();
  }
  Ptr(Ptr&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  Ptr& operator=(const Ptr& other) noexcept {
    if (other.block_ != nullptr) other.block_->add_ref();  // before the release: self-assignment
    storage_block<T>::release(block_);
    block_ = other.block_;
    return *this;
  }
  Ptr& operator=(Ptr&& other) noexcept {
    if (this != &other) {
      storage_block<T>::release(block_);
      block_ = other.block_;
      other.block_ = nullptr;
    }
    return *this;
  }
  ~Ptr() { storage_block<T>::release(block_); }

  storage_block<T>* get() const noexcept { return block_; }
  storage_block<T>* operator->() const noexcept { return block_; }
  explicit operator bool() const noexcept { return block_ != nullptr; }
  std::size_t capacity() const noexcept { return block_ == nullptr ? 0 : block_->capacity(); }
  T* data() const noexcept { return block_ == nullptr ? nullptr : block_->data(); }

 private:
  storage_block<T>* block_ = nullptr;
};

}  // namespace zarn
