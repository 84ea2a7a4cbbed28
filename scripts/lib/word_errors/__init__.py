"""Fits and measures the probability that Tesseract read a word wrong (scripts/fit-word-errors)."""
