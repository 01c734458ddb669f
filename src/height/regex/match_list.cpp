// The match list's blocks: the first one small, since most lists hold a few
// matches, each next one twice as large up to 1 MiB, so that a long list
// grows without copying what it holds and without a peak of two copies.
#include "height/regex/match_list.hpp"

#include <algorithm>
#include <iterator>
#include <new>

namespace zarvo::regex {
namespace {

constexpr size_t kFirstBlockBytes = size_t{4} << 10;
constexpr size_t kLargestBlockBytes = size_t{1} << 20;

}  // namespace

MatchList::MatchList(size_t stride, size_t byteLimit) : stride_(stride), byteLimit_(byteLimit) {}

bool MatchList::Append(const std::vector<int>& spans) {
  if (size_ == room_ && !AddBlock()) {
    return false;
  }
  Block& block = blocks_.back();
  std::copy_n(spans.begin(), stride_, block.spans.get() + (size_ - block.first) * stride_);
  ++size_;
  return true;
}

bool MatchList::AddBlock() {
  const size_t matchBytes = stride_ * sizeof(int);
  const size_t largest = std::max<size_t>(1, kLargestBlockBytes / matchBytes);
  size_t capacity = blocks_.empty() ? std::max<size_t>(1, kFirstBlockBytes / matchBytes)
                                    : std::min(largest, 2 * blocks_.back().capacity);
  // The index may double its room when it grows: count that room up front.
  const size_t indexBytes = 2 * (blocks_.size() + 1) * sizeof(Block);
  const size_t held = blockBytes_ + indexBytes;
  if (held >= byteLimit_) {
    return false;
  }
  capacity = std::min(capacity, (byteLimit_ - held) / matchBytes);
  if (capacity == 0) {
    return false;
  }
  try {
    // Not initialised: the pages are touched only as matches fill them.
    blocks_.push_back({std::make_unique_for_overwrite<int[]>(capacity * stride_), room_, capacity});
  } catch (const std::bad_alloc&) {
    return false;
  }
  room_ += capacity;
  blockBytes_ += capacity * matchBytes;
  return true;
}

const int* MatchList::At(size_t index) const {
  const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                                      [](size_t i, const Block& b) { return i < b.first; });
  const Block& block = *std::prev(after);
  return block.spans.get() + (index - block.first) * stride_;
}

size_t MatchList::BytesHeld() const { return blockBytes_ + blocks_.capacity() * sizeof(Block); }

}  // namespace zarvo::regex
