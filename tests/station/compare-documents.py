#!/usr/bin/python3
"""Compares a recogniser's document with the station's verified copy, both in canonical form
(xmllint --c14n), and fails unless the verified words are all that changed.

usage: compare-documents.py hocr|alto|page INPUT.c14n OUTPUT.c14n SESSION.json

Every element, attribute, text and whitespace of the input must be in the output as it was,
except that each word the session verified (outcome "ok") must stand as its correction: one
word per blank-separated piece, marked certain (hOCR x_wconf 100; ALTO WC="1", CS="true" but
in ALTO v2, whose String has no CS; PAGE conf="1"), without the old character detail (hOCR
ocrx_cinfo and the title's x_bboxes, x_confs and cuts, ALTO CC and Glyph, PAGE Glyph), with
an SP between ALTO's pieces; and a PAGE line's or region's text that reads
its corrected words. Prints one line per verified word it found."""
import json
import sys
import xml.etree.ElementTree as ET

FORMAT, INPUT, OUTPUT, SESSION = sys.argv[1:5]


def local(tag):
    return tag.rsplit('}', 1)[-1]


def is_word(element):
    if FORMAT == 'hocr':
        return element.get('class') == 'ocrx_word'
    return local(element.tag) == ('String' if FORMAT == 'alto' else 'Word')


def children(element, name):
    return [child for child in element if local(child.tag) == name]


def page_text(element):
    """The Unicode of the TextEquiv with the lowest index (one without counts as lowest)."""
    equivs = children(element, 'TextEquiv')
    if not equivs:
        return None
    main = min(equivs, key=lambda e: int(e.get('index', '-1')))
    return ''.join(children(main, 'Unicode')[0].itertext()), main


def word_text(word):
    if FORMAT == 'hocr':
        return ''.join(text.strip() for text in word.itertext())
    if FORMAT == 'alto':
        return word.get('CONTENT')
    return page_text(word)[0]


def fail(message):
    sys.exit('compare-documents: ' + message)


def check_verified(old, pieces, new_words, where):
    """The output words standing for one verified input word."""
    texts = [word_text(word) for word in new_words]
    if texts != pieces:
        fail(f'{where}: {texts} where the correction is {pieces}')
    for word in new_words:
        if FORMAT == 'hocr':
            properties = [p.split()[0] for p in word.get('title', '').split(';') if p.strip()]
            if 'x_wconf 100' not in word.get('title', '') or len(word) or \
                    {'x_bboxes', 'x_confs', 'cuts'} & set(properties):
                fail(f'{where}: not certain, or still with character detail: {ET.tostring(word)}')
        elif FORMAT == 'alto':
            checked = None if word.tag.startswith('{http://www.loc.gov/standards/alto/ns-v2#}') else 'true'
            if word.get('WC') != '1' or word.get('CS') != checked or 'CC' in word.attrib or children(word, 'Glyph'):
                fail(f'{where}: not certain and checked, or still with CC or glyphs: {ET.tostring(word)}')
        elif page_text(word)[1].get('conf') != '1' or children(word, 'Glyph'):
            fail(f'{where}: not certain, or still with glyphs')
    if len(pieces) == 1:
        # The same word, but for what the correction changes.
        changed = {'hocr': {'title'}, 'alto': {'CONTENT', 'WC', 'CS', 'CC'}, 'page': set()}[FORMAT]
        keep = lambda attributes: {k: v for k, v in attributes.items() if k not in changed}
        if keep(old.attrib) != keep(new_words[0].attrib):
            fail(f'{where}: attributes changed: {old.attrib} -> {new_words[0].attrib}')
        if FORMAT == 'hocr' and old.get('title').split(';')[0] != new_words[0].get('title').split(';')[0]:
            fail(f'{where}: bounding box changed')
        if FORMAT == 'page':
            for name in ('Coords', 'TextStyle', 'UserDefined'):
                if [ET.tostring(e) for e in children(old, name)] != [ET.tostring(e) for e in children(new_words[0], name)]:
                    fail(f'{where}: its {name} changed')


class Walk:
    def __init__(self, corrections):
        self.corrections = corrections  # by the word's position in document order, from 1
        self.position = 0
        self.found = []
        self.texts = {}  # output line or region element -> the texts of its words

    def same(self, old, new, where):
        if old.tag != new.tag:
            fail(f'{where}: <{local(new.tag)}> where the input has <{local(old.tag)}>')
        aggregate = FORMAT == 'page' and local(old.tag) in ('TextLine', 'TextRegion')
        if old.attrib != new.attrib:
            fail(f'{where}: attributes {new.attrib} where the input has {old.attrib}')
        if (old.text or '') != (new.text or ''):
            fail(f'{where}: text {new.text!r} where the input has {old.text!r}')
        new_children = list(new)
        j = 0
        for child in old:
            here = f'{where}/{local(child.tag)}'
            if is_word(child):
                self.position += 1
            if is_word(child) and self.position in self.corrections:
                pieces = self.corrections[self.position].split()
                taken = []
                while len(taken) < len(pieces) and j < len(new_children):
                    if not (FORMAT == 'alto' and taken and local(new_children[j].tag) == 'SP'):
                        taken.append(new_children[j])
                    j += 1
                check_verified(child, pieces or [''], taken, f'{here} #{self.position}')
                if (taken[-1].tail or '') != (child.tail or ''):
                    fail(f'{here} #{self.position}: what follows the word changed')
                self.found.append((self.position, word_text(child), pieces))
                continue
            if j >= len(new_children):
                fail(f'{here}: missing from the output')
            if aggregate and local(child.tag) == 'TextEquiv' and child is page_text(old)[1]:
                self.same_but_text(child, new_children[j], new, here)
            else:
                self.same(child, new_children[j], here)
            if (child.tail or '') != (new_children[j].tail or ''):
                fail(f'{here}: whitespace after it changed')
            j += 1
        if j != len(new_children):
            fail(f'{where}: the output has more: {[local(c.tag) for c in new_children[j:]]}')

    def same_but_text(self, old, new, owner, where):
        """A line's or region's text: as it was, or reading its words as corrected."""
        if old.attrib != new.attrib or [local(c.tag) for c in old] != [local(c.tag) for c in new]:
            fail(f'{where}: changed beyond its text')
        if local(owner.tag) == 'TextLine':
            expected = ' '.join(word_text(w) for w in children(owner, 'Word'))
        else:
            expected = '\n'.join(page_text(line)[0] for line in children(owner, 'TextLine'))
        for name in ('PlainText', 'Unicode'):
            for before, after in zip(children(old, name), children(new, name)):
                if ''.join(after.itertext()) not in (''.join(before.itertext()), expected):
                    fail(f'{where}/{name}: {"".join(after.itertext())!r}, expected {expected!r}')


session = json.load(open(SESSION, encoding='utf-8'))
corrections = {w['index']: w['corrected'] for page in session['pages'] for w in page['words'] if w['outcome'] == 'ok'}
walk = Walk(corrections)
walk.same(ET.parse(INPUT).getroot(), ET.parse(OUTPUT).getroot(), '')
if len(walk.found) != len(corrections):
    fail(f'{len(walk.found)} of the {len(corrections)} verified words found')
for position, old, pieces in walk.found:
    print(f'word {position}: {old!r} -> {" ".join(pieces)!r}')
