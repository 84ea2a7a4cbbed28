"""The page's words as the station keeps them (station/model/PageWords.h) from Tesseract's TSV and
hOCR, read as station/formats/TsvDocument.cpp, HocrDocument.cpp and TsvHocrWords.cpp read them."""

import xml.etree.ElementTree as ET
from dataclasses import dataclass, field


@dataclass
class Word:
    index: int          # the word's line in the TSV, from 1 (the header is line 1)
    line: int           # the page's text line, from 0, in reading order
    box: tuple          # left, top, width, height
    confidence: float
    text: str
    characters: list = field(default_factory=list)  # (box, confidence) per character, from the hOCR


def read_tsv(path):
    words, line_keys = [], []
    with open(path, encoding="utf-8") as f:
        rows = f.read().split("\n")
    for number, row in enumerate(rows[1:], 2):
        fields = row.rstrip("\r").split("\t")
        if len(fields) < 12:
            continue
        level, page, block, paragraph, text_line = (int(v) for v in fields[:5])
        confidence = float(fields[10])
        if level != 5 or confidence == -1:
            continue  # page, block, paragraph and line rows
        key = (page, block, paragraph, text_line)
        if not line_keys or line_keys[-1] != key:
            line_keys.append(key)
        box = tuple(int(v) for v in fields[6:10])
        words.append(Word(number, len(line_keys) - 1, box, confidence, fields[11]))
    return words


def title_properties(title):
    properties = {}
    for part in (title or "").split(";"):
        values = part.split()
        if values:
            properties[values[0]] = values[1:]
    return properties


def box_of(values):
    left, top, right, bottom = (int(v) for v in values[:4])
    return left, top, right - left, bottom - top


def read_hocr_characters(path):
    """Each hOCR word's characters by the word's box: the ocrx_cinfo spans with x_bboxes (the
    alternatives of lstm_choice_mode have none and are passed over, as the station passes them)."""
    by_box = {}
    for element in ET.parse(path).getroot().iter():
        if element.get("class") != "ocrx_word":
            continue
        characters = []
        for span in element:
            properties = title_properties(span.get("title"))
            if span.get("class") == "ocrx_cinfo" and "x_bboxes" in properties:
                confidence = float(properties["x_conf"][0]) if "x_conf" in properties else 0.0
                characters.append((box_of(properties["x_bboxes"]), confidence))
        by_box.setdefault(box_of(title_properties(element.get("title"))["bbox"]), characters)
    return by_box


def page_words(tsv_path, hocr_path):
    words = read_tsv(tsv_path)
    characters = read_hocr_characters(hocr_path)
    for word in words:
        word.characters = characters.get(word.box, [])
    return words
