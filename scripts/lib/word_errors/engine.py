"""Runs Linux Tesseract on a page as the station runs it, keeping its output in a cache folder."""

import hashlib
import json
import os
import re
import subprocess
import time


def version(program):
    out = subprocess.run([program, "--version"], capture_output=True, text=True, check=True)
    return (out.stdout + out.stderr).splitlines()[0].strip()


def installed_models(program):
    out = subprocess.run([program, "--list-langs"], capture_output=True, text=True, check=True)
    return {line.strip() for line in out.stdout.splitlines()[1:] if line.strip()}


def model_name(program, wanted):
    """The model as this Tesseract names it: Tesseract for Windows keeps the script models in
    tessdata/script/ ("script/Fraktur"), Debian in tessdata/ itself ("Fraktur")."""
    models = installed_models(program)
    for name in (wanted, wanted.split("/")[-1], "script/" + wanted):
        if name in models:
            return name
    raise SystemExit(f"Tesseract has no model {wanted!r} (it has {', '.join(sorted(models))}); on Debian: "
                     "apt-get install tesseract-ocr-script-frak tesseract-ocr-deu tesseract-ocr-frk")


def command(program, image, base, model):
    # The station's command line (station/engine/TesseractEngine.cpp) for a one-frame image.
    return [program, image, base, "-c", "hocr_char_boxes=1", "-l", model, "tsv", "hocr"]


def recognise(program, image, model, cache):
    """The TSV and hOCR paths of the page, from the cache when the same engine made them with the
    same command; else runs the engine (at low priority, one thread, as the station limits it) and
    records its wall and processor seconds beside the output."""
    stem = os.path.splitext(os.path.basename(image))[0]
    folder = os.path.join(cache, re.sub(r"[^A-Za-z0-9_.-]", "_", model))
    os.makedirs(folder, exist_ok=True)
    base = os.path.join(folder, stem)
    stamp_path = base + ".run.json"
    with open(image, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    stamp = {"engine": version(program), "command": command(program, "IMAGE", "BASE", model), "image_sha256": digest}
    if os.path.exists(stamp_path):
        with open(stamp_path, encoding="utf-8") as f:
            done = json.load(f)
        if {k: done.get(k) for k in stamp} == stamp and os.path.exists(base + ".tsv") and os.path.exists(base + ".hocr"):
            return base + ".tsv", base + ".hocr", done
    env = dict(os.environ, OMP_THREAD_LIMIT="1")
    started = time.monotonic()
    process = subprocess.Popen(["nice", "-n", "10"] + command(program, os.path.abspath(image), base, model),
                               env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    errors = process.stderr.read().decode("utf-8", "replace")
    process.stderr.close()
    if process.returncode != 0:
        raise SystemExit(f"tesseract failed on {image} with {model}: {errors.strip()}")
    stamp["wall_seconds"] = round(time.monotonic() - started, 2)
    stamp["cpu_seconds"] = round(usage.ru_utime + usage.ru_stime, 2)
    with open(stamp_path, "w", encoding="utf-8") as f:
        json.dump(stamp, f, indent=1)
    return base + ".tsv", base + ".hocr", stamp
