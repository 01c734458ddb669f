// zarvo_shop_page_tool <bytes> [noheight] > page.htm
// Writes a generated shop page (GBK) for profiling by hand.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shop_page.hpp"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <bytes> [noheight]\n", argv[0]);
    return 2;
  }
  const auto heights = argc > 2 && std::strcmp(argv[2], "noheight") == 0
                           ? zarvo::bench::Heights::Absent
                           : zarvo::bench::Heights::Declared;
  const std::string page = zarvo::bench::MakeShopPage(std::strtoull(argv[1], nullptr, 10), heights);
  std::fwrite(page.data(), 1, page.size(), stdout);
  return 0;
}
