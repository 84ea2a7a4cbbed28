"""Which engine word read which word of the truth: one to one, or merged, split, added, missed.
Only the words read one to one are measured; the others are counted."""

from collections import Counter

from . import text as texts

MERGE_PENALTY = 0.6  # above 0.5, so that a word and a missed neighbour is not taken for a merge


def intersection(a, b):
    width = min(a[0] + a[2], b[0] + b[2]) - max(a[0], b[0])
    height = min(a[1] + a[3], b[1] + b[3]) - max(a[1], b[1])
    return max(width, 0) * max(height, 0)


def area(box):
    return max(box[2], 0) * max(box[3], 0)


def union(boxes):
    left = min(b[0] for b in boxes)
    top = min(b[1] for b in boxes)
    return left, top, max(b[0] + b[2] for b in boxes) - left, max(b[1] + b[3] for b in boxes) - top


def by_boxes(engine_words, truth_words):
    """Words paired through their boxes: two boxes belong together when they share at least half
    the smaller one; a group of one engine word and one truth word is read one to one."""
    parent = list(range(len(engine_words) + len(truth_words)))

    def root(i):
        while parent[i] != i:
            parent[i] = parent[parent[i]]
            i = parent[i]
        return i

    for e, word in enumerate(engine_words):
        for t, (box, _) in enumerate(truth_words):
            if intersection(word.box, box) >= 0.5 * min(area(word.box), area(box)) > 0:
                parent[root(e)] = root(len(engine_words) + t)
    groups = {}
    for i in range(len(parent)):
        groups.setdefault(root(i), ([], []))[0 if i < len(engine_words) else 1].append(i)
    pairs, counts = [], Counter()
    for engine, truth in groups.values():
        if len(engine) == 1 and len(truth) == 1:
            pairs.append((engine_words[engine[0]], truth_words[truth[0] - len(engine_words)][1]))
        elif not truth:
            counts["added"] += 1
        elif not engine:
            counts["missed"] += 1
        elif len(engine) == 1:
            counts["merged"] += 1
        else:
            counts["split"] += 1
    return pairs, counts


def by_sequence(engine_words, truth_tokens):
    """An edit-distance alignment of the line's engine words to its truth words: a pair costs the
    distance of their folded texts, an added or missed word 1, a merge or split of two the distance
    of the joined texts and MERGE_PENALTY."""
    e = [texts.fold(w.text, True) for w in engine_words]
    t = [texts.fold(w, True) for w in truth_tokens]
    inf = float("inf")
    cost = [[inf] * (len(t) + 1) for _ in range(len(e) + 1)]
    step = [[None] * (len(t) + 1) for _ in range(len(e) + 1)]
    cost[0][0] = 0.0
    for i in range(len(e) + 1):
        for j in range(len(t) + 1):
            here = cost[i][j]
            if here == inf:
                continue
            moves = []
            if i < len(e) and j < len(t):
                moves.append((1, 1, "pair", texts.distance(e[i], t[j])))
            if i < len(e):
                moves.append((1, 0, "added", 1.0))
            if j < len(t):
                moves.append((0, 1, "missed", 1.0))
            if i < len(e) and j + 1 < len(t):
                moves.append((1, 2, "merged", texts.distance(e[i], t[j] + t[j + 1]) + MERGE_PENALTY))
            if i + 1 < len(e) and j < len(t):
                moves.append((2, 1, "split", texts.distance(e[i] + e[i + 1], t[j]) + MERGE_PENALTY))
            for di, dj, kind, price in moves:
                if here + price < cost[i + di][j + dj] - 1e-12:
                    cost[i + di][j + dj] = here + price
                    step[i + di][j + dj] = (di, dj, kind)
    pairs, counts = [], Counter()
    i, j = len(e), len(t)
    while i or j:
        di, dj, kind = step[i][j]
        i, j = i - di, j - dj
        if kind == "pair":
            pairs.append((engine_words[i], truth_tokens[j]))
        else:
            counts[kind] += 1
    pairs.reverse()
    return pairs, counts


def align(engine_words, truth_lines):
    """(engine word, truth text) for the words read one to one, and the counts of the others."""
    truth_words = [w for line in truth_lines for w in line.words]
    if truth_words:
        return by_boxes(engine_words, truth_words)
    lines = {}
    for word in engine_words:
        lines.setdefault(word.line, []).append(word)
    assigned = {}
    counts = Counter()
    for line_words in lines.values():
        box = union([w.box for w in line_words])
        best = max(range(len(truth_lines)), key=lambda t: intersection(box, truth_lines[t].box), default=None)
        if best is None or intersection(box, truth_lines[best].box) < 0.5 * area(box):
            counts["added"] += len(line_words)
            continue
        assigned.setdefault(best, []).append(line_words)
    pairs = []
    for t, line in enumerate(truth_lines):
        engine_lines = sorted(assigned.get(t, []), key=lambda ws: min(w.box[0] for w in ws))
        line_pairs, line_counts = by_sequence([w for ws in engine_lines for w in ws], line.text.split())
        pairs += line_pairs
        counts += line_counts
    return pairs, counts
