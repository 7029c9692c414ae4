#include "support/generated_catalogue.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace arlo::bench {
namespace {

using catalogue::List;

constexpr std::array<std::string_view, 8> kHeroes = {"阿洛",   "小蔓", "大石",   "钮扣",
                                                     "贺警长", "秦伯", "潮婆婆", "白鹭小姐"};
constexpr std::array<std::string_view, 24> kPlaces = {
    "旧灯塔",   "钟楼",     "北码头",   "鱼市场",   "天文台",     "植物园温室",
    "废弃船坞", "雾港车站", "海底隧道", "缆车站",   "市立图书馆", "风车磨坊",
    "铸铁桥",   "渡轮甲板", "夜班电车", "罐头工厂", "马戏团帐篷", "港口博物馆",
    "古董店",   "中央邮局", "气象站",   "盐田",     "山顶旅馆",   "钢琴教室"};
constexpr std::array<std::string_view, 24> kObjects = {
    "怀表",     "铜钥匙", "八音盒", "望远镜",     "旧地图", "蓝墨水", "机械鸟", "玻璃眼珠",
    "象棋残局", "纸飞机", "罗盘",   "留声机唱片", "风筝",   "纸灯笼", "黑雨伞", "银面具",
    "齿轮",     "船票",   "明信片", "密码锁",     "琥珀",   "钢笔",   "蜡像",   "提灯"};
constexpr std::array<std::string_view, 16> kPeople = {
    "钟表匠", "灯塔看守人", "邮差",   "老船长", "街头画家", "小提琴手", "厨师长", "女演员",
    "气象员", "老渔夫",     "转学生", "驯兽师", "制帽匠",   "电车司机", "面包师", "守夜人"};
constexpr std::array<std::string_view, 16> kAdjectives = {
    "消失的", "会说话的", "沉睡的", "倒转的", "燃烧的", "无声的", "看不见的", "迷路的",
    "生锈的", "午夜的",   "红色的", "透明的", "漂流的", "冰冷的", "最后的",   "撕碎的"};
constexpr std::array<std::string_view, 8> kCases = {"事件",   "之谜", "谜案", "盗窃案",
                                                    "失踪案", "怪谈", "骚动", "疑云"};
constexpr std::array<std::string_view, 8> kTimes = {
    "午夜", "黎明", "暴风雨之夜", "满月之夜", "大雾之日", "退潮时分", "停电之夜", "初雪清晨"};

// A fixed-seed generator, so every run searches the same rows.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    template <std::size_t N>
    std::string_view pick(const std::array<std::string_view, N>& words) {
        return words[next() % N];
    }

private:
    std::uint64_t state_;
};

std::string title(Random& r) {
    std::string t;
    switch (r.next() % 6) {
        case 0:  // 阿洛与消失的怀表
            t.append(r.pick(kHeroes)).append("与").append(r.pick(kAdjectives));
            t.append(r.pick(kObjects));
            break;
        case 1:  // 钟楼的怀表之谜
            t.append(r.pick(kPlaces)).append("的").append(r.pick(kObjects));
            t.append(r.pick(kCases));
            break;
        case 2:  // 午夜的钟表匠
            t.append(r.pick(kTimes)).append("的").append(r.pick(kPeople));
            break;
        case 3:  // 北码头第12号仓库失踪案
            t.append(r.pick(kPlaces)).append("第").append(std::to_string(2 + r.next() % 39));
            t.append("号仓库").append(r.pick(kCases));
            break;
        case 4:  // 邮差与看不见的罗盘（前篇）
            t.append(r.pick(kPeople)).append("与").append(r.pick(kAdjectives));
            t.append(r.pick(kObjects)).append(r.next() % 2 ? "（前篇）" : "（后篇）");
            break;
        default:  // 小蔓在天文台遇到的老船长
            t.append(r.pick(kHeroes)).append("在").append(r.pick(kPlaces)).append("遇到的");
            t.append(r.pick(kPeople));
            break;
    }
    return t;
}

// Where a list's text goes in `kBuildOrder`.
std::size_t orderOf(List list) {
    const auto& order = catalogue::kBuildOrder;
    return static_cast<std::size_t>(std::find(order.begin(), order.end(), list) - order.begin());
}

void addLine(std::string& list, int n, std::string_view value) {
    list.append(std::to_string(n)).append("-").append(value).append("\r\n");
}

std::string hex(Random& r, int digits) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::string h;
    for (int i = 0; i < digits; ++i) {
        h += kDigits[r.next() % 16];
    }
    return h;
}

std::string code(Random& r) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string c;
    const int length = 15 + static_cast<int>(r.next() % 5);
    for (int i = 0; i < length; ++i) {
        c += kLetters[r.next() % kLetters.size()];
    }
    return c;
}

}  // namespace

std::array<std::string, catalogue::kListCount> generatedListTexts(int episodes) {
    std::array<std::string, catalogue::kListCount> lists;
    auto text = [&lists](List list) -> std::string& { return lists[orderOf(list)]; };
    Random r(static_cast<std::uint64_t>(episodes) * 7919 + 1);
    for (int n = 1; n <= episodes; ++n) {
        addLine(text(List::JapaneseTitles), n, title(r));
        addLine(text(List::JapaneseSohuIds), n, std::to_string(1000000 + r.next() % 9000000));
        addLine(text(List::MandarinTitles), n, title(r));
        addLine(text(List::MandarinSohuIds), n, std::to_string(2000000 + r.next() % 9000000));
        addLine(text(List::MandarinLeTVIds), n, std::to_string(1000000 + r.next() % 9000000));
        addLine(text(List::MandarinIqiyiIds), n,
                hex(r, 32) + "&tvId=" + std::to_string(20000000 + r.next() % 9000000));
        addLine(text(List::MandarinThumbnailUrls), n,
                "http://pic.arlocovers.invalid/image/2013/0112/" + hex(r, 8) + "_160_90.jpg");
        addLine(text(List::MandarinPreviewCodes), n, code(r));
    }
    for (const List list : {List::MovieTitles, List::MovieLeTVIds}) {
        text(list) = std::string(catalogue::builtInTexts()[orderOf(list)]);
    }
    return lists;
}

std::unique_ptr<const catalogue::Catalogue> generatedCatalogue(int episodes) {
    const auto lists = generatedListTexts(episodes);
    std::array<std::string_view, catalogue::kListCount> texts;
    for (std::size_t i = 0; i < catalogue::kListCount; ++i) {
        texts[i] = lists[i];
    }
    return std::make_unique<const catalogue::Catalogue>(
        texts, std::string(catalogue::builtInTrailerPlayId()),
        std::string(catalogue::builtInTrailerTitle()));
}

}  // namespace arlo::bench
