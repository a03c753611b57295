/* The module's heap: a record {operations, context} whose operations
 * allocate, reallocate and free blocks. Arrays made for a library call come
 * from here and go back here on every path, which HeapArray makes automatic. */
#ifndef QUORVA_HEAP_H
#define QUORVA_HEAP_H

#include <cstddef>

struct qo_MemoryAllocator_Ops {
  int (*alloc)(void *context, size_t size, void **out);
  int (*realloc)(void *context, void **block, size_t size);
  int (*free)(void *context, void **block);
};

struct qo_MemoryAllocator_Heap {
  const qo_MemoryAllocator_Ops *ops;
  void *context;
};

extern qo_MemoryAllocator_Heap *qo_MemoryAllocator_DefaultHeap;

int qo_MemoryAllocator_Alloc_Untyped(qo_MemoryAllocator_Heap *heap, size_t size, void **out);
int qo_MemoryAllocator_Realloc_Untyped(qo_MemoryAllocator_Heap *heap, void **block, size_t size);
int qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_Heap *heap, void **block);

/* An array of n elements of T from the default heap, freed by the holder.
 * Failure to allocate leaves data() NULL with n > 0: check ok(). */
template <typename T>
class HeapArray {
 public:
  HeapArray() noexcept : data_(nullptr), size_(0) {}
  explicit HeapArray(size_t n) noexcept : data_(nullptr), size_(n) {
    void *block = nullptr;
    if (n > 0 && qo_MemoryAllocator_Alloc_Untyped(qo_MemoryAllocator_DefaultHeap, n * sizeof(T), &block) == 0)
      data_ = static_cast<T *>(block);
  }
  HeapArray(const HeapArray &) = delete;
  HeapArray &operator=(const HeapArray &) = delete;
  HeapArray(HeapArray &&other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  ~HeapArray() {
    void *block = data_;
    qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_DefaultHeap, &block);
  }

  bool ok() const noexcept { return size_ == 0 || data_ != nullptr; }
  T *data() const noexcept { return data_; }
  size_t size() const noexcept { return size_; }
  T &operator[](size_t i) const noexcept { return data_[i]; }

 private:
  T *data_;
  size_t size_;
};

#endif
