#!/usr/bin/env python3
"""Writes the episode catalogue of the Arlo series into this directory.

The series: 阿洛 (Arlo), a fourteen-year-old inventor who runs a one-room
detective agency above a clock shop in the harbour city of 雾港 (Fog Harbour),
with 小蔓 (the school paper's reporter), 大石 (a fisherman's son), 钮扣 (a
clockwork cat), 贺警长 (the harbour police chief), 秦伯 (the old clockmaker),
潮婆婆 (the lighthouse keeper), the masked forger 白鹭小姐 and the shadowy
齿轮会 (Gear Society). The agency's airship is the 青鸢号.

Every list file holds entries "<n>-<value>" numbered from 1, joined by CR LF,
with no line break after the last entry, UTF-8 without BOM. Values never
contain "-": an entry's value is what follows its last "-". That holds for the
cover host in the thumbnail addresses too, which the build may replace as a
whole.

Output is deterministic: every family of files draws from its own seeded
random.Random, so editing the title pools does not reshuffle the ids.

    python3 assets/catalogue/generate.py
"""

import datetime
import os
import random
import re
import string
import sys

OUT_DIR = os.path.dirname(os.path.abspath(__file__))

JAPANESE_COUNT = 742
MANDARIN_COUNT = 628   # the Mandarin dub covers episodes 1..628
MOVIE_COUNT = 18

COVER_HOST = "http://pic.arlocovers.invalid"

# Title length rules, in GBK bytes (a Chinese character is 2, ASCII is 1).
NORMAL_MIN, NORMAL_MAX = 8, 28
LONG_MIN, TITLE_MAX = 31, 60

# ---------------------------------------------------------------------------
# Word pools
# ---------------------------------------------------------------------------

HEROES = ["阿洛", "小蔓", "大石", "钮扣", "贺警长", "秦伯", "潮婆婆", "白鹭小姐"]

PLACES = [
    "旧灯塔", "钟楼", "北码头", "鱼市场", "天文台", "植物园温室", "废弃船坞",
    "雾港车站", "海底隧道", "缆车站", "市立图书馆", "风车磨坊", "铸铁桥",
    "渡轮甲板", "夜班电车", "罐头工厂", "马戏团帐篷", "港口博物馆", "古董店",
    "中央邮局", "气象站", "盐田", "山顶旅馆", "钢琴教室", "照相馆", "面包房",
    "剧院后台", "集装箱堆场", "青鸢号", "发明工坊", "钟表铺", "游乐园",
    "旋转木马", "水族馆", "石板街", "红砖仓库", "造船厂", "海关大楼",
    "地下酒窖", "旧校舍", "屋顶花园", "跳蚤市场", "报社编辑部", "潮汐广场",
    "雾港大桥", "蒸汽浴场", "玻璃工坊", "钟乳石洞", "孤岛别墅", "葡萄园",
    "赛马场", "白色邮轮", "灯笼街", "织布厂", "海鸥岬", "老城墙", "音乐厅",
    "运河水闸", "樱桃果园", "冰窖", "缝纫铺", "铁道桥", "溜冰场",
]

OBJECTS = [
    "怀表", "铜钥匙", "八音盒", "望远镜", "旧地图", "蓝墨水", "机械鸟",
    "玻璃眼珠", "象棋残局", "纸飞机", "罗盘", "留声机唱片", "风筝", "纸灯笼",
    "黑雨伞", "银面具", "齿轮", "船票", "明信片", "密码锁", "琥珀", "钢笔",
    "蜡像", "提灯", "锡兵", "相册", "火柴盒", "邮票", "铃铛", "胡桃夹子",
    "沙漏", "万花筒", "瓶中信", "铁皮青蛙", "羽毛笔", "天鹅绒手套",
    "蓝宝石胸针", "旧船锚", "潜水头盔", "折扇", "石膏像", "木偶", "发条兔子",
    "橡皮图章", "铅字", "茶壶", "手风琴", "气压计", "蜂蜡蜡烛", "黄铜门环",
    "航海日志", "玻璃弹珠", "旧唱片", "水晶球", "草帽", "怀旧相机", "螺旋桨",
    "铁盒子", "拼图", "风向标", "图书卡",
]

PEOPLE = [
    "钟表匠", "灯塔看守人", "邮差", "老船长", "街头画家", "小提琴手", "厨师长",
    "女演员", "气象员", "老渔夫", "转学生", "图书管理员", "驯兽师", "制帽匠",
    "电车司机", "面包师", "双胞胎姐妹", "发明家", "守夜人", "花店老板娘",
    "报童", "考古学家", "潜水员", "钢琴老师", "摄影师", "收藏家", "裁缝",
    "飞艇驾驶员", "马戏团小丑", "园丁", "雕塑家", "药剂师", "海关检查员",
    "侦探小说家", "校长", "冰淇淋小贩", "流浪歌手", "船厂老板", "戏法艺人",
    "女飞行员", "养蜂人", "天文学家",
]

ADJECTIVES = [
    "消失的", "会说话的", "沉睡的", "倒转的", "燃烧的", "无声的", "看不见的",
    "迷路的", "生锈的", "午夜的", "红色的", "透明的", "漂流的", "冰冷的",
    "最后的", "撕碎的", "不会响的", "被诅咒的", "会唱歌的", "借来的",
    "褪色的", "失窃的", "镜中的", "结冰的", "发光的", "迟到的", "错位的",
    "空白的", "调包的", "半夜敲门的", "倒着走的", "第二个", "不存在的",
]

CASES = [
    "事件", "之谜", "谜案", "盗窃案", "失踪案", "怪谈", "骚动", "疑云", "风波",
    "奇案", "密室", "诡计", "绑架案", "调包案", "失火案", "恐吓案",
]

TIMES = [
    "午夜", "黎明", "暴风雨之夜", "满月之夜", "大雾之日", "退潮时分",
    "开学第一天", "停电之夜", "祭典之夜", "初雪清晨", "台风过境时",
    "末班渡轮开走后", "灯会之夜", "冬至夜", "放学后", "涨潮前一刻",
]

ADVENTURES = [
    "大冒险", "第一次委托", "秘密任务", "生日礼物", "独自值班", "暑假计划",
    "发明故障", "失眠之夜", "神秘访客", "意外假期", "跟踪调查", "替身作战",
    "寻宝游戏", "特别采访", "深夜实验", "雨天推理", "新发明", "变装作战",
    "零花钱危机", "海边野营",
]

MESSAGES = ["求救信", "恐吓信", "电报", "密信", "匿名信", "预告函", "暗号信",
            "挑战书", "道歉信"]

TRUTHS = ["真相", "遗言", "地图", "名字", "证词", "秘密", "约定", "谎言", "心愿"]

SOUNDS = ["幽灵", "怪影", "歌声", "脚步声", "灯光", "敲门声", "哭声", "汽笛声"]

ANIMALS = ["信鸽", "海鸥", "黑猫", "萤火虫", "寄居蟹", "鹦鹉", "刺猬", "金鱼"]

ACTIONS = ["调换", "藏起", "偷走", "拆开", "涂改", "冻住", "埋起", "折断", "锁住"]

TICKETS = ["船票", "明信片", "邮票", "扑克牌", "车票", "旧照片", "借书卡"]

# Numbers that appear as ASCII digits inside titles.
NUMBERS = {
    "n": lambda r: str(r.randint(2, 40)),        # pier, cabin, tram line ...
    "k": lambda r: str(r.randint(2, 9)),         # small counts
    "h": lambda r: str(r.randint(1, 12)),        # hour on a clock face
    "d": lambda r: str(r.randint(1, 5)),         # small hours of the night
    "m": lambda r: "%02d" % r.randint(1, 59),    # minutes
    "y": lambda r: str(r.choice([3, 5, 7, 10, 15, 20, 25, 30, 40, 50])),
    "s": lambda r: str(r.choice([30, 45, 60, 90, 120, 150, 180])),
}

POOLS = {
    "hero": HEROES, "place": PLACES, "object": OBJECTS, "person": PEOPLE,
    "adj": ADJECTIVES, "case": CASES, "time": TIMES, "adventure": ADVENTURES,
    "message": MESSAGES, "truth": TRUTHS, "sound": SOUNDS, "animal": ANIMALS,
    "ticket": TICKETS, "action": ACTIONS,
}

# Pools whose words must not come back within a few neighbouring episodes.
SPREAD_POOLS = ("place", "object", "person")
SPREAD_WINDOW = 10

# ---------------------------------------------------------------------------
# Title patterns
# ---------------------------------------------------------------------------

# One clause each. "{object2}" draws a second, different word from OBJECTS.
PLAIN = [
    "{place}的{object}{case}",
    "消失在{place}的{object}",
    "{person}与{person2}的约定",
    "{adj}{object}",
    "{hero}与{adj}{object}",
    "{place}{case}",
    "{object}留下的暗号",
    "{time}的{place}",
    "{person}的不在场证明",
    "谁偷走了{person}的{object}？",
    "{place}里的{person}",
    "{hero}的{adventure}",
    "{object}指向{place}",
    "{place}上空的{object}",
    "{person}留在{place}的{object}",
    "{object}与{object2}",
    "寻找{adj}{object}",
    "{place}的{person}",
    "{object}的秘密",
    "来自{place}的{message}",
    "{person}失踪之谜",
    "藏在{object}里的{truth}",
    "{object}上的指纹",
    "{hero}潜入{place}",
    "{place}的{sound}",
    "齿轮会的{message}",
    "齿轮会盯上了{object}",
    "{person}为什么说谎？",
    "{object}去哪儿了？",
    "{time}的{message}",
    "{object}争夺战",
    "{person}的{truth}",
    "{hero}与{person}的{object}",
    "在{place}等待的{person}",
    "{person}的最后一封{message}",
    "被{action}的{object}",
    "{person}的两张面孔",
    "{place}寄来的{object}",
    "{hero}和{object}失踪了！",
    "{person}的{object}不见了",
    "追踪{object}的主人",
    "{object}背后的{truth}",
    "{person}看见了什么？",
    "{place}的最后一位客人",
    "{person}来到阿洛侦探社",
    "{hero}与{place}的{sound}",
]

# Clauses carrying ASCII digits.
NUMBERED = [
    "{n}号码头的{sound}",
    "第{k}个证人",
    "{place}的第{k}个证人",
    "{h}点{m}分的{case}",
    "{y}年前的{object}",
    "{n}号舱房的{object}",
    "{n}路电车{case}",
    "{n}号储物柜里的{object}",
    "凌晨{d}点的{place}",
    "{place}的{n}级台阶",
    "{k}张{ticket}之谜",
    "{s}秒的不在场证明",
    "{person}与{k}只{animal}",
    "{n}号房间的{object}",
    "第{k}封{message}",
    "{y}年后的{truth}",
    "{k}把钥匙的密室",
]

# Two clauses make a long title; "{a}" never ends in punctuation.
LONG_FRAMES = [
    "{a}，{b}",
    "{a}！{b}",
    "{hero}出动！{a}",
    "阿洛侦探社出动！{a}",
    "{a}：{hero}的{adventure}",
    "{hero}的推理：{a}",
    "{time}，{a}",
    "{hero}与{hero2}的{adventure}：{a}",
]

TWO_PART_SUFFIXES = [("（前篇）", "（后篇）"), ("（上）", "（下）")]

# Milestone episodes with hand-written titles.
FIXED_TITLES = {
    1: "阿洛登场！钟楼顶上的发明家",
    2: "发条猫钮扣的第一次委托",
    100: "青鸢号首航之日",
    200: "齿轮会的影子",
    300: "白鹭小姐的挑战书",
    400: "秦伯的最后一只怀表",
    500: "阿洛侦探社第500号委托",
    700: "潮婆婆的灯塔最后一夜",
}

# How the Mandarin dub renames some episodes (applied to a minority only).
LOCALISATIONS = [
    ("事件", "案"), ("之谜", "谜团"), ("消失在", "失踪于"), ("幽灵", "鬼影"),
    ("约定", "诺言"), ("秘密", "秘辛"), ("暗号", "密码"), ("怪谈", "奇谈"),
    ("大冒险", "历险记"), ("恐吓信", "威胁信"), ("不在场证明", "不在场证据"),
    ("去哪儿了", "去哪里了"), ("争夺战", "抢夺战"),
]
LOCALISED_SHARE = 0.12

MOVIE_TITLES = [
    "雾港的发条侦探",
    "钟楼沉入海底之夜",
    "青鸢号的最后航线",
    "灯塔守望者的遗言",
    "珊瑚礁下的摇篮曲",
    "星图尽头的追逐",
    "琥珀色的机械心脏",
    "冰封港湾的银色信号",
    "齿轮会的黄金罗盘",
    "风车平原上的逃亡者",
    "月光列车与消失的乘客",
    "雪原天文台的约定",
    "沙漠绿洲里的铜钟",
    "云海之上的发明博览会",
    "发条猫与七色烟火",
    "火山岛的秘密工坊",
    "褪色海报里的少年",
    "时间尽头的钟表匠",
]
TRAILER_TITLE = "阿洛剧场版19：镜湖城的双生信标"

# ---------------------------------------------------------------------------


def fail(message):
    sys.exit("generate.py: " + message)


def gbk_len(text):
    try:
        return len(text.encode("gbk"))
    except UnicodeEncodeError as e:
        fail("not encodable in GBK: %r (%s)" % (text, e))


def has_digit(text):
    return any(c in string.digits for c in text)


PLACEHOLDER = re.compile(r"\{([a-z]+?)(\d?)\}")


def fill(template, rng, twelve=False):
    """Fills a pattern. Returns (text, spread tokens used)."""
    picked = {}
    tokens = []
    forced = [twelve]

    def one(match):
        name, index = match.group(1), match.group(2)
        if name in NUMBERS:
            if forced[0]:
                forced[0] = False
                return "12"
            return NUMBERS[name](rng)
        pool = POOLS[name]
        taken = picked.setdefault(name, [])
        word = rng.choice([w for w in pool if w not in taken])
        taken.append(word)
        if name in SPREAD_POOLS:
            tokens.append(word)
        return word

    return PLACEHOLDER.sub(one, template), tokens


class TitleBook:
    """Draws distinct titles that keep neighbouring episodes from sharing words."""

    def __init__(self, rng):
        self.rng = rng
        self.titles = {}
        self.recent = []

    def accept(self, text, tokens):
        if "-" in text or "\r" in text or "\n" in text or text != text.strip():
            return False
        if text in self.titles.values():
            return False
        window = [t for toks in self.recent[-SPREAD_WINDOW:] for t in toks]
        return not any(t in window for t in tokens)

    def store(self, number, text, tokens):
        self.titles[number] = text
        self.recent.append(tokens)

    def clause(self, numbered, twelve=False, final=True):
        template = self.rng.choice(NUMBERED if numbered else PLAIN)
        if not final and template.endswith(("？", "！")):
            return None
        text, tokens = fill(template, self.rng, twelve)
        # The same pattern should not come back in neighbouring episodes either.
        return text, tokens + [template] + (["齿轮会"] if "齿轮会" in template else [])

    def draw(self, number, plan):
        length, numbered, twelve = plan
        for _ in range(20000):
            if length == "normal":
                got = self.clause(numbered, twelve)
                if got is None:
                    continue
                text, tokens = got
            else:
                frame = self.rng.choice(LONG_FRAMES)
                # The numbered clause goes first or second at random.
                first_numbered = numbered and self.rng.random() < 0.5
                a = self.clause(first_numbered, twelve, final=False)
                b = self.clause(numbered and not first_numbered, twelve, final=True)
                if a is None or b is None:
                    continue
                if "{b}" not in frame and numbered and not first_numbered:
                    continue
                if "{b}" in frame and set(a[1]) & set(b[1]):
                    continue  # two halves sharing a pattern or a word read badly
                rest, rest_tokens = fill(frame.replace("{a}", "\0A").replace("{b}", "\0B"),
                                         self.rng)
                text = rest.replace("\0A", a[0]).replace("\0B", b[0])
                tokens = a[1] + (b[1] if "{b}" in frame else []) + rest_tokens
                if any(text.count(name) > 1 for name in HEROES):
                    continue
            size = gbk_len(text)
            if length == "normal" and not NORMAL_MIN <= size <= NORMAL_MAX:
                continue
            if length == "long" and not LONG_MIN <= size <= TITLE_MAX:
                continue
            if length in (30, 31) and size != length:
                continue
            if numbered != has_digit(text) or (twelve and "12" not in text):
                continue
            if self.accept(text, tokens):
                self.store(number, text, tokens)
                return text
        fail("could not draw a title for episode %d (%r)" % (number, plan))

    def draw_two_part(self, number):
        first, second = self.rng.choice(TWO_PART_SUFFIXES)
        for _ in range(20000):
            got = self.clause(False, final=False)
            if got is None:
                continue
            base, tokens = got
            a, b = base + first, base + second
            if not NORMAL_MIN <= gbk_len(a) <= NORMAL_MAX:
                continue
            if self.accept(a, tokens) and b not in self.titles.values():
                self.store(number, a, tokens)
                self.store(number + 1, b, [])
                return
        fail("could not draw a two-part story at episode %d" % number)


def plan_japanese(rng):
    """Decides which episodes get long, exact-width and numbered titles.

    The first MANDARIN_COUNT episodes are shared with the Mandarin dub, so each
    kind is spread over both ranges.
    """
    dubbed = [i for i in range(1, MANDARIN_COUNT + 1) if i not in FIXED_TITLES]
    later = [i for i in range(MANDARIN_COUNT + 1, JAPANESE_COUNT + 1) if i not in FIXED_TITLES]
    rng.shuffle(dubbed)
    rng.shuffle(later)

    plans = {}

    def take(pool, count, plan):
        for _ in range(count):
            plans[pool.pop()] = plan

    # (length class, contains digits, contains "12")
    for pool, scale in ((dubbed, 1), (later, 0)):
        take(pool, 4 if scale else 1, ("normal", True, True))
        take(pool, 1 if scale else 0, ("long", True, True))
        take(pool, 3 if scale else 2, (30, False, False))
        take(pool, 3 if scale else 2, (31, True, False))
        take(pool, 36 if scale else 8, ("long", False, False))
        take(pool, 4 if scale else 1, ("long", True, False))
        take(pool, 18 if scale else 5, ("normal", True, False))
    return plans


def japanese_titles(rng):
    plans = plan_japanese(rng)
    book = TitleBook(rng)
    two_part_starts = set()
    number = 1
    while number <= JAPANESE_COUNT:
        if number in FIXED_TITLES:
            text = FIXED_TITLES[number]
            if text in book.titles.values():
                fail("fixed title repeated: " + text)
            book.store(number, text, [])
            number += 1
            continue
        plan = plans.get(number, ("normal", False, False))
        free_pair = (number + 1 <= JAPANESE_COUNT and number + 1 not in plans
                     and number + 1 not in FIXED_TITLES)
        if plan == ("normal", False, False) and free_pair and rng.random() < 0.06:
            book.draw_two_part(number)
            two_part_starts.add(number)
            number += 2
            continue
        book.draw(number, plan)
        number += 1
    titles = [book.titles[i] for i in range(1, JAPANESE_COUNT + 1)]
    return titles, plans, two_part_starts


def mandarin_titles(rng, japanese, plans, two_part_starts):
    """Mostly the Japanese titles; a share of ordinary ones localised."""
    two_part = two_part_starts | {i + 1 for i in two_part_starts}
    titles = list(japanese[:MANDARIN_COUNT])
    taken = set(titles)
    localised = 0
    for number in range(1, MANDARIN_COUNT + 1):
        plan = plans.get(number, ("normal", False, False))
        if number in FIXED_TITLES or number in two_part or plan[0] not in ("normal", "long"):
            continue
        if plan[2] or rng.random() >= LOCALISED_SHARE:
            continue
        original = titles[number - 1]
        options = [(a, b) for a, b in LOCALISATIONS if a in original]
        if not options:
            continue
        old, new = rng.choice(options)
        text = original.replace(old, new, 1)
        size = gbk_len(text)
        fits = (NORMAL_MIN <= size <= NORMAL_MAX) if plan[0] == "normal" else (
            LONG_MIN <= size <= TITLE_MAX)
        if fits and text not in taken:
            taken.discard(original)
            taken.add(text)
            titles[number - 1] = text
            localised += 1
    return titles, localised


def rising_ids(rng, count, start, end, jitter=0.04):
    """Ids that grow roughly geometrically from start to end, all distinct."""
    ids = []
    seen = set()
    ratio = (end / start) ** (1.0 / max(count - 1, 1))
    for i in range(count):
        value = int(start * ratio ** i * rng.uniform(1 - jitter, 1 + jitter))
        value += rng.randint(0, 999)
        while value in seen:
            value += 1
        seen.add(value)
        ids.append(str(value))
    return ids


def japanese_sohu_ids(rng):
    ids = rising_ids(rng, JAPANESE_COUNT, 1_180_000, 412_000_000)
    # A few episodes were never put online.
    for number in sorted(rng.sample(range(15, JAPANESE_COUNT + 1), 7)):
        ids[number - 1] = "0"
    return ids


def iqiyi_ids(rng):
    tv_ids = rising_ids(rng, MANDARIN_COUNT, 21_300_000, 486_000_000)
    return ["%032x&tvId=%s" % (rng.getrandbits(128), tv) for tv in tv_ids]


def thumbnail_urls(rng):
    day = datetime.date(2013, 1, 5)
    urls, seen = [], set()
    for _ in range(MANDARIN_COUNT):
        day += datetime.timedelta(days=rng.choice([0, 0, 1, 1, 1, 2, 3, 7]))
        while True:
            stem = "%08x" % rng.getrandbits(32)
            if stem not in seen:
                seen.add(stem)
                break
        urls.append("%s/image/%04d/%02d%02d/%s_160_90.jpg"
                    % (COVER_HOST, day.year, day.month, day.day, stem))
    return urls


def preview_codes(rng):
    alphabet = string.ascii_letters + string.digits
    codes, seen = [], set()
    while len(codes) < MANDARIN_COUNT:
        code = "".join(rng.choice(alphabet) for _ in range(rng.randint(15, 19)))
        if (any(c.isupper() for c in code) and any(c.islower() for c in code)
                and any(c.isdigit() for c in code) and code not in seen):
            seen.add(code)
            codes.append(code)
    return codes


def movie_letv_ids(rng):
    values = rng.sample(range(1_200_000, 31_000_000), MOVIE_COUNT)
    return [str(v) for v in values]


# ---------------------------------------------------------------------------


def check_list(name, values, count):
    if len(values) != count:
        fail("%s: %d entries, expected %d" % (name, len(values), count))
    for i, v in enumerate(values, 1):
        if not v or "-" in v or "\r" in v or "\n" in v:
            fail("%s entry %d is not a valid value: %r" % (name, i, v))


def check_titles(name, titles, min_long, min_digit, min_twelve):
    if len(set(titles)) != len(titles):
        fail(name + ": repeated title")
    for t in titles:
        size = gbk_len(t)
        if size < NORMAL_MIN or size > TITLE_MAX or t != t.strip():
            fail("%s: title out of bounds: %r" % (name, t))
    longs = sum(gbk_len(t) >= LONG_MIN for t in titles)
    digits = sum(has_digit(t) for t in titles)
    twelves = sum("12" in t for t in titles)
    if longs < min_long or digits < min_digit or twelves < min_twelve:
        fail("%s: %d long, %d with digits, %d with 12" % (name, longs, digits, twelves))
    for width in (30, 31):
        if not any(gbk_len(t) == width for t in titles):
            fail("%s: no title of exactly %d bytes" % (name, width))


def write_list(name, values):
    data = "\r\n".join("%d-%s" % (i, v) for i, v in enumerate(values, 1))
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(data.encode("utf-8"))


def write_value(name, value):
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(value.encode("utf-8"))


def stats(name, titles):
    sizes = [gbk_len(t) for t in titles]
    print("%-22s %4d titles, %3d long (>=%d bytes), %3d with digits, %d with \"12\", "
          "%d of 30 bytes, %d of 31 bytes, %d..%d bytes"
          % (name, len(titles), sum(s >= LONG_MIN for s in sizes),
             LONG_MIN, sum(has_digit(t) for t in titles),
             sum("12" in t for t in titles), sizes.count(30), sizes.count(31),
             min(sizes), max(sizes)))


def main():
    for word in [w for pool in POOLS.values() for w in pool] + MOVIE_TITLES + [TRAILER_TITLE]:
        gbk_len(word)

    japanese, plans, two_part_starts = japanese_titles(random.Random(20130105))
    mandarin, localised = mandarin_titles(random.Random(936), japanese, plans, two_part_starts)

    if len(MOVIE_TITLES) != MOVIE_COUNT or len(set(MOVIE_TITLES)) != MOVIE_COUNT:
        fail("movie titles must be %d distinct entries" % MOVIE_COUNT)
    for t in MOVIE_TITLES:
        if not 6 <= len(t) <= 16 or has_digit(t):
            fail("movie title length: " + t)

    check_titles("JapaneseTitles", japanese, 30, 15, 3)
    check_titles("MandarinTitles", mandarin, 20, 10, 2)

    trailer_rng = random.Random(7041)
    files = {
        "JapaneseTitles.txt": (japanese, JAPANESE_COUNT),
        "MandarinTitles.txt": (mandarin, MANDARIN_COUNT),
        "MovieTitles.txt": (MOVIE_TITLES, MOVIE_COUNT),
        "JapaneseSohuIds.txt": (japanese_sohu_ids(random.Random(1101)), JAPANESE_COUNT),
        "MandarinSohuIds.txt": (rising_ids(random.Random(1102), MANDARIN_COUNT,
                                           2_640_000, 138_000_000), MANDARIN_COUNT),
        "MandarinLeTVIds.txt": (rising_ids(random.Random(1103), MANDARIN_COUNT,
                                           1_930_000, 27_400_000), MANDARIN_COUNT),
        "MandarinIqiyiIds.txt": (iqiyi_ids(random.Random(1104)), MANDARIN_COUNT),
        "MovieLeTVIds.txt": (movie_letv_ids(random.Random(1105)), MOVIE_COUNT),
        "MandarinThumbnailUrls.txt": (thumbnail_urls(random.Random(1106)), MANDARIN_COUNT),
        "MandarinPreviewCodes.txt": (preview_codes(random.Random(1107)), MANDARIN_COUNT),
    }
    for name, (values, count) in files.items():
        check_list(name, values, count)
        write_list(name, values)

    trailer_play_id = str(trailer_rng.randint(10_000_000, 99_999_999))
    write_value("TrailerPlayId.txt", trailer_play_id)
    write_value("TrailerTitle.txt", TRAILER_TITLE)

    for name, (values, _) in files.items():
        print("%-26s %4d entries" % (name, len(values)))
    stats("JapaneseTitles", japanese)
    stats("MandarinTitles", mandarin)
    same = sum(a == b for a, b in zip(japanese, mandarin))
    print("Mandarin titles equal to the Japanese ones: %d of %d (%d localised), "
          "%d two-part stories" % (same, MANDARIN_COUNT, localised, len(two_part_starts)))
    print("Trailer %s: %s" % (trailer_play_id, TRAILER_TITLE))


if __name__ == "__main__":
    main()
