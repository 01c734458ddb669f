#include "shop_page.hpp"

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/gbk.hpp"

namespace zarvo::bench {
namespace {

// A small deterministic generator, so that every run measures the same page.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 16);
  }
  uint32_t Below(uint32_t bound) { return Next() % bound; }

 private:
  uint64_t state_;
};

// Product names and slogans as shops write them (UTF-8 here, GBK in the page).
constexpr std::array<std::string_view, 16> kPhrases = {
    "新款女装春季连衣裙 修身显瘦",
    "正品保证 七天无理由退换货",
    "限时特价 全国包邮",
    "纯棉舒适 透气吸汗 亲肤面料",
    "买二送一 数量有限 先到先得",
    "全场满299减50 优惠券领取",
    "店主推荐 热销商品",
    "收藏本店 优先发货",
    "韩版宽松百搭针织开衫毛衣外套",
    "男士商务休闲皮鞋 真皮软底",
    "儿童卡通保温杯 不锈钢内胆",
    "家用厨房收纳架 多层置物",
    "官方旗舰店 品质保障 售后无忧",
    "新品上市 抢先体验 赠运费险",
    "客服在线时间：早九点至晚十一点",
    "点击查看更多商品详情",
};

constexpr std::array<std::string_view, 6> kColours = {"#333333", "#ff4400", "#666",
                                                      "#e4393c", "#fff",    "#999999"};

class PageWriter {
 public:
  PageWriter(Heights heights, uint64_t seed) : heights_(heights), random_(seed) {
    for (std::string_view phrase : kPhrases) {
      phrases_[count_++] = Utf8ToGbk(phrase);
    }
  }

  void Section(std::string& out) {
    const unsigned banner = 300 + random_.Below(600);
    out += "<div style=\"width:950px;margin:0 auto;overflow:hidden;background:#f7f7f7;\">\n";
    out += "  <div style=\"position:relative;width:950px;";
    if (heights_ == Heights::Declared) {
      out += "height:" + std::to_string(banner) + "px;";
    } else {
      out += "padding-top:" + std::to_string(banner) + "px;";
    }
    out += "background:url(https://img.shop.example.com/images/" + Number(4) + "/" + Number(10) +
           "/banner-" + Number(8) + ".jpg) no-repeat center top;\">\n";
    out += "    <a href=\"https://item.shop.example.com/item.htm?id=" + Number(12) +
           "\" target=\"_blank\" style=\"position:absolute;left:" + Number(3) +
           "px;top:" + Number(2) + "px;width:" + Number(3) + "px;display:block;\"></a>\n  </div>\n";
    out +=
        "  <table width=\"950\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" "
        "style=\"border-collapse:collapse;margin-top:10px;\">\n    <tr>\n";
    for (int card = 0; card < 4; ++card) {
      out += "      <td style=\"width:237px;padding:6px;vertical-align:top;font-family:";
      out += "Microsoft YaHei,SimSun;font-size:12px;color:";
      out += kColours[random_.Below(kColours.size())];
      out += ";\">\n        <a href=\"https://item.shop.example.com/item.htm?id=" + Number(12) +
             "\" target=\"_blank\"><img src=\"https://img.shop.example.com/products/" + Number(1) +
             "/" + Number(9) +
             ".jpg_220x220.jpg\" width=\"220\" border=\"0\" "
             "style=\"display:block;\"></a>\n        <p style=\"margin:4px 0;\">";
      out += phrases_[random_.Below(count_)];
      out += "</p>\n        <p style=\"margin:0;color:#ff4400;font-weight:bold;\">";
      out += yuan_ + Number(3) + "." + Number(2) + "</p>\n      </td>\n";
    }
    out += "    </tr>\n  </table>\n  <div style=\"padding:8px 12px;font-size:14px;\">";
    for (int i = 0; i < 3; ++i) {
      out += phrases_[random_.Below(count_)];
      out += "<br>";
    }
    out += "</div>\n</div>\n";
  }

 private:
  std::string Number(int digits) {
    std::string text;
    for (int i = 0; i < digits; ++i) {
      text.push_back(static_cast<char>('0' + (i == 0 ? 1 + random_.Below(9) : random_.Below(10))));
    }
    return text;
  }

  Heights heights_;
  Random random_;
  std::array<std::string, kPhrases.size()> phrases_;
  uint32_t count_ = 0;
  std::string yuan_ = Utf8ToGbk("￥");
};

}  // namespace

std::string MakeShopPage(size_t bytes, Heights heights) {
  PageWriter writer(heights, 0x5eed0750u);
  std::string page;
  page.reserve(bytes + 4096);
  while (page.size() < bytes) {
    writer.Section(page);
  }
  return page;
}

std::string MakeAreaTemplate() {
  std::string text;
  text += "<div style=\"width:750px;height:";
  text += Utf8ToGbk("高度");
  text += "px;overflow:hidden;\">\n<div style=\"margin-top:";
  text += Utf8ToGbk("间距");
  text += "px;\">\n<div style=\"position:relative;left:";
  text += Utf8ToGbk("偏移量");
  text += "px;height:";
  text += Utf8ToGbk("高度");
  text += "px;\">\n";
  // The rest of a real template: a block of layout rules around the slot.
  for (int i = 0; i < 40; ++i) {
    text +=
        "<div style=\"float:left;width:750px;margin:0;padding:0;border:0;"
        "font-size:0;line-height:0;\"></div>\n";
  }
  text += Utf8ToGbk("<!-- 以下为装修代码 -->\n");
  text += "582064937";
  text += "\n</div>\n</div>\n<div style=\"clear:both;height:";
  text += Utf8ToGbk("高度");
  text += "px;\"></div>\n<div style=\"height:";
  text += Utf8ToGbk("高度");
  text += "px;\"></div>\n<div style=\"height:";
  text += Utf8ToGbk("高度");
  text += "px;\"></div>\n</div>\n";
  return text;
}

std::string MakePreviewTemplate() {
  std::string text = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\">\n<title>";
  text += Utf8ToGbk("店铺装修效果预览");
  text +=
      "</title>\n<style>body{margin:0;background:#eee;font:12px SimSun;}"
      ".page{width:950px;margin:0 auto;background:#fff;}"
      ".area{width:750px;float:right;}.side{width:190px;float:left;}</style>\n"
      "</head>\n<body>\n<div class=\"page\">\n<div class=\"side\"></div>\n"
      "<div class=\"area\">\n582064937\n</div>\n</div>\n</body>\n</html>\n";
  return text;
}

}  // namespace zarvo::bench
