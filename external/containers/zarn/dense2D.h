// dense2D: a column-major view (rows, columns, leading dimension) of
// reference-counted storage. One column per item: node, edge or metric.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>

#include "storage.h"

namespace zarn {

template <class T>
class dense2D {
 public:
  dense2D() noexcept = default;
  // Allocating constructors leave the matrix 0 x 0 when memory is lacking.
  dense2D(std::size_t rows, std::size_t cols) { resize(rows, cols); }
  dense2D(std::size_t rows, std::size_t cols, const T& fill) { resize(rows, cols, fill); }

  // Copies share storage; `copy` makes a deep copy.
  dense2D(const dense2D&) noexcept = default;
  dense2D& operator=(const dense2D&) noexcept = default;
  dense2D(dense2D&& other) noexcept { take(other); }
  dense2D& operator=(dense2D&& other) noexcept {
    if (this != &other) take(other);
    return *this;
  }
  ~dense2D() = default;

  std::size_t rows() const noexcept { return rows_; }
  std::size_t cols() const noexcept { return cols_; }
  std::size_t ld() const noexcept { return ld_; }
  std::size_t size() const noexcept { return rows_ * cols_; }
  bool empty() const noexcept { return size() == 0; }
  // Entries the storage holds from the view's start.
  std::size_t capacity() const noexcept {
    return storage_.capacity() > offset_ ? storage_.capacity() - offset_ : 0;
  }
  // Columns of the current leading dimension that can be used in place from
  // the view's start. A sub-matrix view may use only its own block in place:
  // growing it past that moves it to storage of its own, so that it never
  // writes over its parent's entries.
  std::size_t capacity_cols() const noexcept {
    const std::size_t held = ld_ == 0 ? 0 : capacity() / ld_;
    return held < room_cols_ ? held : room_cols_;
  }

  T& operator()(std::size_t i, std::size_t j) noexcept {
    assert(i < rows_ && j < cols_ && "dense2D index out of range");
    return data()[j * ld_ + i];
  }
  const T& operator()(std::size_t i, std::size_t j) const noexcept {
    assert(i < rows_ && j < cols_ && "dense2D index out of range");
    return data()[j * ld_ + i];
  }
  T* data() noexcept { return storage_ ? storage_.data() + offset_ : nullptr; }
  const T* data() const noexcept { return storage_ ? storage_.data() + offset_ : nullptr; }
  // Start of column j.
  T* col(std::size_t j) noexcept { return data() + j * ld_; }
  const T* col(std::size_t j) const noexcept { return data() + j * ld_; }

  // Room for rows x cols with a leading dimension of `rows`, contents kept at
  // their (row, column) positions. A growing storage takes at least
  // growth times the columns it holds.
  bool reserve(std::size_t rows, std::size_t cols, std::size_t growth = 1) noexcept {
    const std::size_t new_ld = empty() ? rows : std::max(rows, rows_);
    if ((empty() || new_ld == ld_) && in_room(rows, cols) && fits(new_ld, cols)) return true;
    std::size_t target_cols = std::max(cols, cols_);
    const std::size_t held = capacity_cols();
    if (growth > 1 && held <= static_cast<std::size_t>(-1) / growth)
      target_cols = std::max(target_cols, held * growth);
    return relayout(new_ld, target_cols);
  }

  // Entries keep their (row, column) positions, also when the row count
  // grows; new entries are T() or fill. False (nothing changed) on failure.
  bool resize(std::size_t rows, std::size_t cols) noexcept { return resize(rows, cols, T()); }
  bool resize(std::size_t rows, std::size_t cols, const T& fill) noexcept {
    const std::size_t old_rows = rows_, old_cols = empty() ? 0 : cols_;
    if (!reshape(rows, cols)) return false;
    if (rows == 0 || cols == 0) return true;
    // Only the entries that are new get the fill value.
    const std::size_t kept_rows = old_cols == 0 ? 0 : std::min(old_rows, rows);
    const std::size_t kept_cols = std::min(old_cols, cols);
    if (rows > kept_rows)
      for (std::size_t j = 0; j < kept_cols; ++j) std::fill(col(j) + kept_rows, col(j) + rows, fill);
    for (std::size_t j = kept_cols; j < cols; ++j) std::fill(col(j), col(j) + rows, fill);
    return true;
  }
  // As resize, but the new entries are left unset: for callers that write
  // every one of them before reading any.
  bool resize_for_overwrite(std::size_t rows, std::size_t cols) noexcept { return reshape(rows, cols); }

  // 0 x 0, storage kept.
  void clear() noexcept { rows_ = cols_ = ld_ = 0; }

  // Deep copy into storage of its own, leading dimension = rows.
  bool copy(const dense2D& other) noexcept {
    if (this == &other) return true;
    Ptr<T> fresh(storage_block<T>::create(other.size()));
    if (!fresh) return false;
    for (std::size_t j = 0; j < other.cols_ && other.rows_ > 0; ++j)
      std::memcpy(fresh.data() + j * other.rows_, other.col(j), other.rows_ * sizeof(T));
    storage_ = std::move(fresh);
    offset_ = 0;
    room_rows_ = room_cols_ = unbounded;
    rows_ = other.rows_;
    cols_ = other.cols_;
    ld_ = other.rows_;
    return true;
  }
  void shallow_copy(const dense2D& other) noexcept { *this = other; }

  // View of the block of `rows` x `cols` entries whose first entry is (i, j),
  // sharing this matrix's storage.
  dense2D sub_matrix(std::size_t i, std::size_t j, std::size_t rows, std::size_t cols) const noexcept {
    assert(i + rows <= rows_ && j + cols <= cols_ && "sub_matrix out of range");
    dense2D view(*this);
    view.offset_ = offset_ + j * ld_ + i;
    view.rows_ = rows;
    view.cols_ = cols;
    view.room_rows_ = rows;
    view.room_cols_ = cols;
    return view;
  }

  std::size_t use_count() const noexcept { return storage_ ? storage_->use_count() : 0; }

 private:
  static constexpr std::size_t unbounded = static_cast<std::size_t>(-1);

  // The shape rows x cols, entries kept at their (row, column) positions,
  // new entries unset. False (nothing changed) on failure.
  bool reshape(std::size_t rows, std::size_t cols) noexcept {
    if (rows == 0 || cols == 0) return set_empty_shape(rows, cols);
    if (empty()) {
      if ((!in_room(rows, cols) || !fits(rows, cols)) && !relayout_empty(rows, cols)) return false;
      ld_ = rows;
    } else if (rows > ld_ || !in_room(rows, cols) || !fits(ld_, cols)) {
      if (!relayout(rows > ld_ ? rows : ld_, grown_cols(cols))) return false;
    }
    rows_ = rows;
    cols_ = cols;
    return true;
  }

  bool in_room(std::size_t rows, std::size_t cols) const noexcept {
    return rows <= room_rows_ && cols <= room_cols_;
  }

  bool fits(std::size_t ld, std::size_t cols) const noexcept {
    if (cols == 0 || ld == 0) return true;
    if (ld > static_cast<std::size_t>(-1) / cols) return false;
    return (cols - 1) * ld + ld <= capacity();
  }

  std::size_t grown_cols(std::size_t cols) const noexcept {
    return cols > capacity_cols() ? std::max(cols, 2 * cols_) : cols;
  }

  // A shape with no entry keeps the storage; the leading dimension follows
  // the rows so that a later growth of the columns needs no copy.
  bool set_empty_shape(std::size_t rows, std::size_t cols) noexcept {
    rows_ = rows;
    cols_ = cols;
    ld_ = rows;
    return true;
  }

  bool relayout_empty(std::size_t rows, std::size_t cols) noexcept {
    if (rows > static_cast<std::size_t>(-1) / cols) return false;
    Ptr<T> fresh(storage_block<T>::create(rows * cols));
    if (!fresh) return false;
    storage_ = std::move(fresh);
    offset_ = 0;
    room_rows_ = room_cols_ = unbounded;
    return true;
  }

  // Moves the contents into new storage of new_ld x cap_cols entries.
  bool relayout(std::size_t new_ld, std::size_t cap_cols) noexcept {
    if (cap_cols != 0 && new_ld > static_cast<std::size_t>(-1) / cap_cols) return false;
    Ptr<T> fresh(storage_block<T>::create(new_ld * cap_cols));
    if (!fresh) return false;
    // A resize that adds rows and drops columns asks for fewer columns than
    // are held: only those that fit are kept.
    if (!empty())
      for (std::size_t j = 0; j < std::min(cols_, cap_cols); ++j)
        std::memcpy(fresh.data() + j * new_ld, col(j), rows_ * sizeof(T));
    storage_ = std::move(fresh);
    offset_ = 0;
    ld_ = new_ld;
    room_rows_ = room_cols_ = unbounded;
    return true;
  }

  void take(dense2D& other) noexcept {
    storage_ = std::move(other.storage_);
    offset_ = other.offset_;
    rows_ = other.rows_;
    cols_ = other.cols_;
    ld_ = other.ld_;
    room_rows_ = other.room_rows_;
    room_cols_ = other.room_cols_;
    other.offset_ = other.rows_ = other.cols_ = other.ld_ = 0;
    other.room_rows_ = other.room_cols_ = unbounded;
  }

  Ptr<T> storage_;
  std::size_t offset_ = 0;
  std::size_t rows_ = 0;
  std::size_t cols_ = 0;
  std::size_t ld_ = 0;
  std::size_t room_rows_ = unbounded;  // the block usable in place from the start
  std::size_t room_cols_ = unbounded;
};

}  // namespace zarn
