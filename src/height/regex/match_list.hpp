// The matches a RegexObject has found: the spans of each, kept in blocks that
// never move once allocated, within a cap on the memory they take.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace zarvo::regex {

class MatchList {
 public:
  // What a match list may take at most: its blocks, whole, and their index.
  static constexpr size_t kDefaultByteLimit = size_t{256} << 20;

  // `stride`: the spans of one match, two for the whole match and two for
  // each group.
  explicit MatchList(size_t stride, size_t byteLimit = kDefaultByteLimit);

  // Adds the first `stride` spans as a match. False, adding nothing, when
  // the match would take the list past its limit or no memory is left.
  bool Append(const std::vector<int>& spans);
  size_t Size() const { return size_; }
  // The spans of match `index` (0-based, below Size()).
  const int* At(size_t index) const;
  // The memory the list holds: every block whole, filled or not, and the
  // room of their index.
  size_t BytesHeld() const;

 private:
  struct Block {
    std::unique_ptr<int[]> spans;
    size_t first;     // the number of the block's first match
    size_t capacity;  // matches it holds when full
  };
  bool AddBlock();

  size_t stride_;
  size_t byteLimit_;
  size_t size_ = 0;
  size_t room_ = 0;  // matches all blocks hold when full
  size_t blockBytes_ = 0;
  std::vector<Block> blocks_;
};

}  // namespace zarvo::regex
