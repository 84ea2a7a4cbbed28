"""A page's ground truth from PAGE XML: its lines (box and text) and, where it has them, words."""

import xml.etree.ElementTree as ET
from dataclasses import dataclass, field


@dataclass
class TruthLine:
    box: tuple   # left, top, width, height around the line's polygon
    text: str
    words: list = field(default_factory=list)  # (box, text) where the document has Word elements


def polygon_box(points):
    xs, ys = [], []
    for point in points.split():
        x, y = point.split(",")
        xs.append(int(x))
        ys.append(int(y))
    return min(xs), min(ys), max(xs) - min(xs), max(ys) - min(ys)


def text_of(element, namespace):
    # The TextEquiv of the lowest index (one without an index counts as lowest), as the station reads it.
    equivs = element.findall(namespace + "TextEquiv")
    if not equivs:
        return ""
    equivs.sort(key=lambda e: int(e.get("index", "-1")))
    unicode = equivs[0].find(namespace + "Unicode")
    return unicode.text or "" if unicode is not None else ""


def read(path):
    root = ET.parse(path).getroot()
    namespace = root.tag[: root.tag.index("}") + 1]
    lines = []
    for element in root.iter(namespace + "TextLine"):
        line = TruthLine(polygon_box(element.find(namespace + "Coords").get("points")), text_of(element, namespace))
        for word in element.findall(namespace + "Word"):
            line.words.append((polygon_box(word.find(namespace + "Coords").get("points")), text_of(word, namespace)))
        lines.append(line)
    return lines
