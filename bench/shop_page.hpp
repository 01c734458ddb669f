// Generated shop-page HTML for the benchmarks: the kind of code that users
// paste into the tool, at any size.
#pragma once

#include <cstddef>
#include <string>

namespace zarvo::bench {

enum class Heights {
  Declared,  // a height declaration ("height:NNNpx") in every section of about 3 KB
  Absent,    // the letters "height" appear nowhere, not even in "line-height"
};

// GBK bytes of a shop page of at least `bytes` bytes (at most one section
// more): nested divs and tables with inline styles, product cards with
// Chinese names and prices, links and images. The same arguments always give
// the same page.
std::string MakeShopPage(size_t bytes, Heights heights);

// A 750-area template of realistic size (a few KB) holding every placeholder
// token once, and the height token five times.
std::string MakeAreaTemplate();

// A preview page: a shop page frame with one code token.
std::string MakePreviewTemplate();

}  // namespace zarvo::bench
