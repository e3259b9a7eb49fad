#pragma once
// TZeroedArray: a growable block of numbers that start as zeros, for tables that are made large
// and filled later (or never). The memory comes from calloc, which hands out large blocks as
// fresh pages without writing them: a block nobody fills costs neither time nor memory, where
// a std::vector would write every zero first.
//
// Everything between size() and the block's capacity is zero at all times (a shrink clears what
// it drops, a growth inside the capacity therefore finds zeros). Callers write only inside
// size(). A failed allocation throws std::bad_alloc and leaves the array as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

template <class T>
class TZeroedArray {
  static_assert(std::is_arithmetic_v<T>, "all-zero bytes must be the value zero");

public:
  TZeroedArray() = default;
  explicit TZeroedArray(std::size_t Count) : FData(Allocate(Count)), FSize(Count), FCapacity(Count) {}
  TZeroedArray(const TZeroedArray& Other)
      : FData(Allocate(Other.FSize)), FSize(Other.FSize), FCapacity(Other.FSize) {
    if (FSize > 0) std::memcpy(FData, Other.FData, FSize * sizeof(T));
  }
  TZeroedArray(TZeroedArray&& Other) noexcept { swap(Other); }
  TZeroedArray& operator=(const TZeroedArray& Other) {
    if (this != &Other) {
      TZeroedArray copy(Other);
      swap(copy);
    }
    return *this;
  }
  TZeroedArray& operator=(TZeroedArray&& Other) noexcept {
    TZeroedArray taken(std::move(Other));
    swap(taken);
    return *this;
  }
  ~TZeroedArray() { std::free(FData); }

  void swap(TZeroedArray& Other) noexcept {
    std::swap(FData, Other.FData);
    std::swap(FSize, Other.FSize);
    std::swap(FCapacity, Other.FCapacity);
  }

  std::size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  T* data() { return FData; }
  const T* data() const { return FData; }
  T& operator[](std::size_t I) { return FData[I]; }
  const T& operator[](std::size_t I) const { return FData[I]; }
  T* begin() { return FData; }
  T* end() { return FData + FSize; }
  const T* begin() const { return FData; }
  const T* end() const { return FData + FSize; }

  // Keeps the first min(size, Count) values; new ones are zero. A growth beyond the capacity
  // takes at least twice the old size, so an array grown step by step copies rarely.
  void resize(std::size_t Count) {
    if (Count <= FSize) {
      if (Count < FSize) std::memset(FData + Count, 0, (FSize - Count) * sizeof(T));
    } else if (Count > FCapacity) {
      const std::size_t capacity = Count < 2 * FSize ? 2 * FSize : Count;
      T* fresh = Allocate(capacity);
      if (FSize > 0) std::memcpy(fresh, FData, FSize * sizeof(T));
      std::free(FData);
      FData = fresh;
      FCapacity = capacity;
    }
    FSize = Count;
  }

private:
  static T* Allocate(std::size_t Count) {
    if (Count == 0) return nullptr;
    if (Count > static_cast<std::size_t>(PTRDIFF_MAX) / sizeof(T)) throw std::bad_alloc();
    auto* p = static_cast<T*>(std::calloc(Count, sizeof(T)));
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }

  T* FData = nullptr;
  std::size_t FSize = 0;
  std::size_t FCapacity = 0;
};
