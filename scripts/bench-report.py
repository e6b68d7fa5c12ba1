#!/usr/bin/env python3
"""Runs the Release benchmark programs and the start-up measurement; prints one line per figure.

Called by scripts/bench after the build. Each program runs as a child of this script, so its peak
resident memory comes from the kernel (wait4) without extra tools. A program that fails is reported and
makes the exit status 1, the others still run.
"""
import argparse
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

MB = 1024 * 1024


# ---------------------------------------------------------------------------------------------------
# Running children

class Run:
    def __init__(self, rc, seconds, peak_kb, stdout, stderr):
        self.rc = rc
        self.seconds = seconds
        self.peak_kb = peak_kb
        self.stdout = stdout
        self.stderr = stderr


def run_measured(cmd, env=None, timeout=900, cwd=None):
    """Runs cmd, returns its exit code, wall time and peak RSS (of it and the children it waited for)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.monotonic()
        proc = subprocess.Popen(cmd, stdout=out, stderr=err, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                start_new_session=True)
        deadline = start + timeout
        status = None
        usage = None
        while True:
            pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
            if pid:
                break
            if time.monotonic() > deadline:
                os.killpg(proc.pid, signal.SIGKILL)
                pid, status, usage = os.wait4(proc.pid, 0)
                status = None
                break
            time.sleep(0.02)
        proc.returncode = 0  # reaped above; keeps Popen from waiting again
        seconds = time.monotonic() - start
        out.seek(0)
        err.seek(0)
        if status is None:
            rc = 124
        elif os.WIFEXITED(status):
            rc = os.WEXITSTATUS(status)
        else:
            rc = 128 + os.WTERMSIG(status)
        return Run(rc, seconds, usage.ru_maxrss, out.read().decode(errors="replace"),
                   err.read().decode(errors="replace"))


# ---------------------------------------------------------------------------------------------------
# Google Benchmark results

def base_name(name):
    # Options such as /iterations:1, /real_time and /min_time:2.000 are not part of what was measured.
    parts = [p for p in name.split("/") if not re.match(r"^(iterations|min_time|real_time|repeats)(:|$)", p)]
    return "/".join(parts)


class Results:
    """The runs of one program's JSON output (one per repetition), by name without run options.

    Figures are the median over the repetitions, so one disturbed repetition does not make the figure.
    """

    def __init__(self, program, run, entries, error=None):
        self.program = program
        self.run = run
        self.entries = entries
        self.error = error

    def runs(self, name, first_only=False):
        runs = [e for e in self.entries.get(name, []) if not e.get("error_occurred")]
        return runs[:1] if first_only else runs

    def ms(self, name, field="real_time", first_only=False):
        values = []
        for e in self.runs(name, first_only):
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[e.get("time_unit", "ns")]
            values.append(e[field] * scale)
        return statistics.median(values) if values else None

    def counter(self, name, key):
        values = [e[key] for e in self.runs(name) if key in e]
        return statistics.median(values) if values else None


def run_bench(path, min_time, repetitions, log_dir):
    program = os.path.basename(path)
    json_path = os.path.join(log_dir, program + ".json")
    cmd = [path, "--benchmark_out=" + json_path, "--benchmark_out_format=json",
           "--benchmark_min_time=%g" % min_time, "--benchmark_repetitions=%d" % repetitions]
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    print("running %s ..." % program, file=sys.stderr, flush=True)
    run = run_measured(cmd, env=env)
    with open(os.path.join(log_dir, program + ".log"), "w") as f:
        f.write(run.stdout)
        f.write(run.stderr)
    entries = {}
    try:
        with open(json_path) as f:
            data = json.load(f)
        for e in data.get("benchmarks", []):
            if e.get("run_type", "iteration") == "iteration":
                entries.setdefault(base_name(e["name"]), []).append(e)
    except (OSError, ValueError):
        pass
    error = None
    if run.rc != 0:
        error = "exit status %d" % run.rc
    failed = {n: e.get("error_message", "error") for n, runs in entries.items() for e in runs
              if e.get("error_occurred")}
    if failed:
        msgs = ["%s: %s" % (n, m) for n, m in failed.items()]
        error = (error + "; " if error else "") + "; ".join(msgs)
    if not entries and error is None:
        error = "no results"
    print("  %s done in %.0f s, peak %.0f MB%s" % (program, run.seconds, run.peak_kb / 1024.0,
                                                  ", FAILED: " + error if error else ""),
          file=sys.stderr, flush=True)
    return Results(program, run, entries, error)


# ---------------------------------------------------------------------------------------------------
# Figures

class Figure:
    def __init__(self, what, ours, unit, ref=None, ref_what="", target="", met=None, peak_mb=None,
                 ratio=None, note=""):
        self.what = what
        self.ours = ours
        self.unit = unit
        self.ref = ref
        self.ref_what = ref_what
        self.target = target
        self.met = met
        self.peak_mb = peak_mb
        self.ratio = ratio if ratio is not None else (ours / ref if ours is not None and ref else None)
        self.note = note


def fmt(value, unit):
    if value is None:
        return "n/a"
    if unit == "x":
        return "%.2fx" % value
    if unit in ("rewrites", "fsyncs"):
        return "%d %s" % (round(value), unit)
    if abs(value) >= 100:
        return "%.0f %s" % (value, unit)
    if abs(value) >= 10:
        return "%.1f %s" % (value, unit)
    if abs(value) >= 1 or value == 0:
        return "%.2f %s" % (value, unit)
    return "%.3g %s" % (value, unit)


def verdict(f):
    if not f.target:
        return "-"
    if f.met is None:
        return "n/a"
    return "met" if f.met else "MISSED"


def below(value, limit):
    return None if value is None else value < limit


def at_most(value, limit):
    return None if value is None else value <= limit


def both(*flags):
    if any(f is None for f in flags):
        return None
    return all(flags)


def peak(results):
    return results.run.peak_kb / 1024.0 if results else None


def decode_figures(r):
    p = peak(r)
    out = []
    ref = r.ms("Iconv/utf8_30MB")
    for name, what in (("LoadFile/utf8_30MB", "open + decode UTF-8 book (30 MB, 10M chars)"),
                       ("LoadBytes/utf8_30MB", "decode UTF-8 bytes in memory (30 MB)")):
        ours = r.ms(name)
        ratio = ours / ref if ours is not None and ref else None
        judged = name.startswith("LoadFile")
        out.append(Figure(what, ours, "ms", ref, "iconv UTF-8 -> UTF-16", "<= 0.5x iconv" if judged else "",
                          at_most(ratio, 0.5) if judged else None, p))
    ours = r.ms("LoadFile/gbk_20MB")
    ref = r.ms("Iconv/gbk_20MB_normalised")
    out.append(Figure("open + decode GBK book (20 MB, 10M chars)", ours, "ms", ref,
                      "iconv GBK -> UTF-16 + one normalising pass", "<= 1.0x reference",
                      at_most(ours / ref if ours is not None and ref else None, 1.0), p))
    out.append(Figure("open + decode UTF-16LE book (20 MB)", r.ms("LoadFile/utf16le_20MB"), "ms",
                      peak_mb=p))
    # Detection's own cost against the whole open, and the open against iconv on the same bytes.
    for enc, what in (("gb18030", "GB18030"), ("big5", "Big5")):
        ours = r.ms("LoadLegacy/%s_20MB" % enc)
        ref = r.ms("IconvLegacy/%s_20MB_normalised" % enc)
        detect = r.ms("DetectLegacy/%s_20MB" % enc)
        out.append(Figure("open + decode %s book, detected (20 MB)" % what, ours, "ms", ref,
                          "iconv %s -> UTF-16 + one normalising pass" % what, peak_mb=p))
        share = detect / ours * 100 if detect is not None and ours else None
        out.append(Figure("encoding detection share of opening the %s book" % what, share, "%", None,
                          "", "<= 5 % of the open", at_most(share, 5.0), p,
                          note="detection alone %s" % fmt(detect, "ms")))
    for enc in ("utf8", "gbk", "utf16le"):
        name = "PeakMemory/" + enc
        used = r.counter(name, "peak_MB")
        file_mb = r.counter(name, "file_MB")
        text_mb = r.counter(name, "text_MB")
        bound = file_mb + text_mb if file_mb is not None and text_mb is not None else None
        # 1 MB for state of a fixed size (decoding tables, the first pages of the heap).
        out.append(Figure("peak memory while loading, %s" % enc, used, "MB", bound, "file + UTF-16 text",
                          "<= file + text (+1 MB)",
                          at_most(used - bound if used is not None and bound else None, 1.0), p))
    return out


def paginate_figures(r):
    p = peak(r)
    out = []
    floor = r.counter("BM_SumAdvances", "ns_per_unit")
    for args, what in (("312/507", "800x600 window"), ("832/975", "1920x1080 window")):
        ours = r.counter("BM_Paginate/" + args, "ns_per_unit")
        ratio = ours / floor if ours is not None and floor else None
        out.append(Figure("paginate 10M chars, %s, per code unit" % what, ours, "ns", floor,
                          "loop summing advances", "<= 3 ns and <= 2x", both(at_most(ours, 3.0),
                                                                               at_most(ratio, 2.0)), p))
        ruled = r.counter("BM_PaginateBreakRules/" + args, "ns_per_unit")
        ratio = ruled / ours if ruled is not None and ours else None
        out.append(Figure("paginate 10M chars, %s, line-break rules on, per code unit" % what, ruled, "ns",
                          ours, "the same pagination with the rules off", "<= 1.5x", at_most(ratio, 1.5), p))
    # Only the first repetition of the first rebuild finds nothing cached.
    for name, what, first in (("BM_FirstRebuildTextMetrics", "RebuildTextMetrics, first in process", True),
                              ("BM_RebuildTextMetrics", "RebuildTextMetrics, new size", False)):
        ours = r.ms(name, first_only=first)
        out.append(Figure(what, ours, "ms", target="< 150 ms", met=below(ours, 150), peak_mb=p))
    return out


def render_figures(r):
    p = peak(r)
    memset = r.ms("BM_MemsetCanvas")
    out = []
    for name, what in (("BM_ComposeSpread", "compose a 1920x1080 spread of dense text (page turn)"),
                       ("BM_ComposeWhileResizing", "compose a spread at a new size (resizing)"),
                       ("BM_ComposeSpreadConverted", "compose a spread shown in Traditional (s2t, page turn)")):
        ours = r.ms(name)
        out.append(Figure(what, ours, "ms", memset, "memset of the canvas", "< 8 ms", below(ours, 8.0), p))
    out.append(Figure("compose the same spread at 2x (3840x2160 pixels, 200 % screen)", r.ms("BM_ComposeSpread2x"),
                      "ms", memset, "memset of the 1x canvas", peak_mb=p))
    out.append(Figure("draw the text of a spread", r.ms("BM_DrawSpreadText"), "ms", memset,
                      "memset of the canvas", peak_mb=p))
    bg = r.counter("BM_BackgroundOverMemset", "background_ms")
    ms = r.counter("BM_BackgroundOverMemset", "memset_ms")
    ratio = r.counter("BM_BackgroundOverMemset", "ratio")
    out.append(Figure("book background composition, 1920x1080", bg, "ms", ms, "memset of the canvas",
                      "<= 3x memset", at_most(ratio, 3.0), p, ratio=ratio))
    return out


def turn_figures(r):
    p = peak(r)
    copy = r.ms("BM_CopyFrame")
    out = []
    for spread in (1, 0):
        for mode in range(1, 11):
            name = "BM_TurnFrame/mode:%d/spread:%d" % (mode, spread)
            frame = r.counter(name, "frame")
            ours = frame * 1e3 if frame is not None else None
            out.append(Figure("page-turn frame, mode %d, %s" % (mode, "spread" if spread else "single page"),
                              ours, "ms", copy, "memcpy of one frame", "< 8 ms", below(ours, 8.0), p))
    # A 200 % screen: the same 1920x1080 client at 3840x2160 pixels.
    for spread in (1, 0):
        for mode in range(1, 11):
            frame = r.counter("BM_TurnFrame2x/mode:%d/spread:%d" % (mode, spread), "frame")
            ours = frame * 1e3 if frame is not None else None
            out.append(Figure("page-turn frame at 2x (3840x2160 pixels), mode %d, %s"
                              % (mode, "spread" if spread else "single page"),
                              ours, "ms", copy, "memcpy of one 1x frame", "< 8 ms", below(ours, 8.0), p))
    return out


def position_figures(r):
    p = peak(r)
    name = "BM_PageTurnsStoringThePosition"
    turns = r.counter(name, "turns") or 500
    rewrites = r.counter(name, "rewrites")
    fsyncs = r.counter(name, "gui_fsyncs")
    ours = r.ms(name)
    ref = r.ms("BM_PageTurnsWritingThrough")
    return [
        Figure("settings-file rewrites for %d page turns (thumb drag, each painted)" % turns, rewrites,
               "rewrites", target="a handful (<= 5)", met=at_most(rewrites, 5), peak_mb=p),
        Figure("fsyncs on the GUI thread during those turns", fsyncs, "fsyncs", target="none",
               met=at_most(fsyncs, 0), peak_mb=p),
        Figure("those %d page turns, position stored off the GUI thread" % turns, ours, "ms", ref,
               "same turns writing every position through", peak_mb=p),
    ]


def chapters_figures(r):
    p = peak(r)
    grep = r.ms("BM_GrepReference")
    ours = r.ms("BM_DefaultConditions")
    ratio = ours / grep if ours is not None and grep else None
    return [
        Figure("chapter search, 10 default conditions, 10M chars / 2,000 chapters", ours, "ms", grep,
               "one grep -P pass (UTF-8)", "< 60 ms and <= 3x grep",
               both(below(ours, 60.0), at_most(ratio, 3.0)), p),
        Figure("chapter search, same conditions all through the regex engine",
               r.ms("BM_DefaultConditionsThroughEngine"), "ms", grep, "one grep -P pass (UTF-8)", peak_mb=p),
    ]


def search_figures(r):
    p = peak(r)
    fixed = r.ms("BM_GrepFixedReference")
    perl = r.ms("BM_GrepPerlReference")
    plain = r.ms("BM_Plain")
    regex = r.ms("BM_RegexClass")
    plain_ratio = plain / fixed if plain is not None and fixed else None
    regex_ratio = regex / perl if regex is not None and perl else None
    return [
        Figure("search, plain, 10M chars / 2,000 hits", plain, "ms", fixed, "one grep -F -o -b pass (UTF-8)",
               "< 30 ms and <= 1.5x grep", both(below(plain, 30.0), at_most(plain_ratio, 1.5)), p),
        Figure("search, plain ignoring case and width", r.ms("BM_PlainIgnoreCaseAndWidth"), "ms", fixed,
               "one grep -F -o -b pass (UTF-8)", peak_mb=p),
        Figure("search, regex with a class, 10M chars / 2,000 hits", regex, "ms", perl,
               "one grep -P -o -b pass (UTF-8)", "<= 3x grep", at_most(regex_ratio, 3.0), p),
    ]


def searchpane_figures(r):
    p = peak(r)
    plain = r.counter("BM_PanePlain", "gui_stall_ms")
    hostile = r.counter("BM_PaneHostileRegex", "gui_stall_ms")
    return [
        Figure("search pane, 10M chars / 2,000 hits listed", r.ms("BM_PanePlain"), "ms", peak_mb=p),
        Figure("longest GUI-thread stall during that search", plain, "ms", target="< 50 ms",
               met=below(plain, 50.0), peak_mb=p),
        Figure("search pane, a regex at the match limit everywhere", r.ms("BM_PaneHostileRegex"), "ms",
               peak_mb=p),
        Figure("longest GUI-thread stall during that search", hostile, "ms", target="< 50 ms",
               met=below(hostile, 50.0), peak_mb=p),
    ]


def chapterpane_figures(r):
    p = peak(r)
    stall = r.counter("BM_PaneRefresh", "gui_stall_ms")
    return [
        Figure("chapter pane refresh, 10M chars / 2,000 chapters", r.ms("BM_PaneRefresh"), "ms", peak_mb=p),
        Figure("longest GUI-thread stall during that refresh", stall, "ms",
               target="no freeze (< 100 ms)", met=below(stall, 100.0), peak_mb=p),
    ]


EDIT_SHAPES = (("0", "paragraph lines", 0), ("36", "hard-wrapped at 36", 36), ("1", "one paragraph", None))
BUILD_DIR = None  # set by main: the peer editor's books come from the build's book generator


def edit_book(build, folder, wrap):
    """The bench_edit book of one shape as a UTF-8 file; one paragraph (wrap None) has no line break."""
    name = "edit-10m-%s.txt" % ("one-paragraph" if wrap is None else "wrap%d" % wrap)
    path = os.path.join(folder, name)
    if os.path.isfile(path) and os.path.getsize(path) > 0:
        return path
    gen = os.path.join(build, "tools", "bookgen", "leafturner-bookgen")
    tmp = path + ".part"
    args = [gen, "--out", tmp, "--encoding", "utf8"]
    if wrap is None:
        subprocess.run(args + ["--chars", "11000000"], check=True)
        text = open(tmp, "rb").read().decode("utf-8").replace("\r", "").replace("\n", "")
        open(tmp, "wb").write(text[:10_000_000].encode("utf-8"))
    else:
        subprocess.run(args + ["--chars", "10000000"] + (["--wrap", str(wrap)] if wrap else []), check=True)
    os.replace(tmp, path)
    return path


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def peak_rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return None


def until_idle(cmd, env, timeout=180.0):
    """Starts cmd; returns (seconds until its CPU time last moved before a 1.5 s quiet spell, peak MB)."""
    proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    start = time.monotonic()
    last_ticks, last_change, mb = -1, start, None
    try:
        while proc.poll() is None:
            now = time.monotonic()
            ticks = cpu_ticks(proc.pid)
            mb = peak_rss_mb(proc.pid) or mb
            if ticks != last_ticks:
                last_ticks, last_change = ticks, now
            elif now - last_change > 1.5 or now - start > timeout:
                break
            time.sleep(0.05)
    finally:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
    busy = last_change - start
    return (None if busy >= timeout else busy), mb


def featherpad_figures(build):
    """FeatherPad opening each shape: {shape arg: (ms to idle, MB over its empty start)}; None when absent."""
    exe = shutil.which("featherpad")
    if not exe or not build:
        return None
    books = os.path.join(build, "bench-books")
    os.makedirs(books, exist_ok=True)
    display = Display()
    out = {}
    try:
        home = tempfile.mkdtemp(prefix="peer-home-")
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), **display.env)
        _, empty_mb = until_idle([exe], env)
        for arg, _, wrap in EDIT_SHAPES:
            seconds, mb = until_idle([exe, edit_book(build, books, wrap)], env)
            out[arg] = (seconds * 1000.0 if seconds is not None else None,
                        mb - empty_mb if mb is not None and empty_mb is not None else None)
        shutil.rmtree(home, ignore_errors=True)
    finally:
        display.close()
    return out


def edit_figures(r):
    p = peak(r)
    out = []
    peer = featherpad_figures(BUILD_DIR)
    text_mb = 2 * 10_000_000 / MB
    for arg, what, _ in EDIT_SHAPES:
        peer_ms, peer_mb = peer.get(arg, (None, None)) if peer else (None, None)
        peer_what = "FeatherPad, start to idle" if peer else "FeatherPad not installed"
        ours = r.ms("BM_SwitchIntoEditView/" + arg)
        out.append(Figure("switch 10M-char book into edit view (%s)" % what, ours, "ms", peer_ms, peer_what,
                          "< 1 s", below(ours, 1000.0), p))
        whole = r.counter("BM_SwitchIntoEditView/" + arg, "book_x_text")
        peer_x = peer_mb / text_mb if peer_mb is not None else None
        out.append(Figure("memory of the book in the edit view (%s), over a 2,000-char book" % what, whole,
                          "x", peer_x, "FeatherPad over its empty start" if peer else peer_what,
                          "<= 3x UTF-16 text", at_most(whole, 3.0), p, ratio=whole, note="x the UTF-16 text"))
        growth = r.counter("BM_SwitchIntoEditView/" + arg, "memory_x_text")
        out.append(Figure("of which the edit view beside the reading view (%s)" % what, growth, "x",
                          peak_mb=p, ratio=growth, note="x the UTF-16 text"))
        for name, label, target, limit in (
                ("BM_SwitchBackToReadingView", "switch back to the reading view", "< 100 ms", 100.0),
                ("BM_TypeInTheMiddle", "type one key in the middle, with repaint", "< 16 ms", 16.0),
                ("BM_JumpToTheEnd", "jump to the end (Ctrl+End), with repaint", "< 50 ms", 50.0),
                ("BM_FindNextWholeBook", "find next over the whole book (no match)", "< 100 ms", 100.0),
                ("BM_SaveFromEditView", "save from the edit view (UTF-8)", "< 1 s", 1000.0)):
            ours = r.ms(name + "/" + arg)
            out.append(Figure("%s (%s)" % (label, what), ours, "ms", target=target, met=below(ours, limit),
                              peak_mb=p))
    return out


def reformat_figures(r):
    p = peak(r)
    copy = r.ms("BM_CopyBook")
    out = []
    for name, what in (("BM_ComplexReformatDefaults", "complex reformat, 10M chars, default options"),
                       ("BM_ComplexReformatEverySign", "complex reformat, 10M chars, every check on")):
        ours = r.ms(name)
        out.append(Figure(what, ours, "ms", copy, "copy of the book", "< 300 ms", below(ours, 300.0), p))
    out.append(Figure("simple reformat, 10M chars, all options", r.ms("BM_SimpleReformatAllOn"), "ms", copy,
                      "copy of the book", peak_mb=p))
    return out


def convert_figures(r):
    p = peak(r)
    whole = r.ms("BM_ConvertWholeSpread")
    out = []
    for arg, name in ((1, "s2t"), (2, "s2tw"), (4, "t2s")):
        bench = "BM_ConvertSpreadForDisplay/config:%d" % arg
        ours = r.ms(bench)
        out.append(Figure("convert a 1920x1080 spread for display (%s, 2,000 chars with context)" % name, ours,
                          "ms", whole, "the same text converted whole", "< 8 ms", below(ours, 8.0), p))
    out.append(Figure("load the s2t dictionaries (first use)",
                      r.counter("BM_ConvertSpreadForDisplay/config:1", "load_ms"), "ms", peak_mb=p))
    return out


def images_figures(r):
    p = peak(r)
    out = []
    for n, what in ((177, "icon strip, 32-bit"), (180, "page picture, 24-bit"), (143, "8-bit"),
                    (135, "4-bit")):
        out.append(Figure("decode built-in BMP %d (%s)" % (n, what), r.ms("DecodeOurs/%d" % n), "ms",
                          r.ms("DecodeQt/%d" % n), "Qt's BMP reader", peak_mb=p))
    out.append(Figure("compose a 1920x1080 canvas from pictures", r.ms("ComposeCanvas"), "ms",
                      r.ms("ComposeWithQPainter"), "QPainter doing the same", peak_mb=p))
    out.append(Figure("canvas to QImage, 1920x1080", r.ms("CanvasToQImage"), "ms", peak_mb=p))
    out.append(Figure("load all built-in pictures", r.ms("LoadAllBuiltinPictures"), "ms", peak_mb=p))
    return out


def bookmarks_figures(r):
    p = peak(r)
    return [Figure(what + ", 10,000 bookmarks", r.ms(name), "ms", peak_mb=p) for name, what in (
        ("BM_ListAndSortNames", "list and sort bookmark names"),
        ("BM_ReadOneBookmark", "read one bookmark"),
        ("BM_AddBookmark", "add a bookmark"),
        ("BM_OpenOrganizeDialog", "open the organise dialog"),
        ("BM_OpenAddDialog", "open the add dialog"))]


def history_figures(r):
    p = peak(r)
    return [Figure(what, r.ms(name), "ms", target=target, met=below(r.ms(name), limit), peak_mb=p)
            for name, what, target, limit in (
        ("BM_LookupOnOpen", "history lookup on open, 10,000 books", "< 5 ms", 5),
        ("BM_LookupByFingerprint", "history lookup by fingerprint, 10,000 books", "< 5 ms", 5),
        ("BM_OpenHistoryDialog", "open the history dialog, 10,000 books", "< 100 ms", 100),
        ("BM_FingerprintOf30MBBook", "fingerprint of a 30 MB book (from disk)", "< 1 ms", 1),
        ("BM_FingerprintOf30MBInMemory", "fingerprint of a 30 MB book (bytes read)", "< 1 ms", 1))]


FIGURES = {
    "bench_decode": decode_figures,
    "bench_paginate": paginate_figures,
    "bench_render": render_figures,
    "bench_turn": turn_figures,
    "bench_position": position_figures,
    "bench_chapters": chapters_figures,
    "bench_chapterpane": chapterpane_figures,
    "bench_search": search_figures,
    "bench_searchpane": searchpane_figures,
    "bench_edit": edit_figures,
    "bench_reformat": reformat_figures,
    "bench_convert": convert_figures,
    "bench_images": images_figures,
    "bench_bookmarks": bookmarks_figures,
    "bench_history": history_figures,
}


# ---------------------------------------------------------------------------------------------------
# Start-up

def make_book(build, folder, name, chars, encoding):
    path = os.path.join(folder, name)
    if os.path.isfile(path) and os.path.getsize(path) > 0:
        return path
    gen = os.path.join(build, "tools", "bookgen", "leafturner-bookgen")
    tmp = path + ".part"
    subprocess.run([gen, "--out", tmp, "--chars", str(chars), "--encoding", encoding], check=True)
    os.replace(tmp, path)
    return path


def book_units(build, book, profile):
    cli = os.path.join(build, "src", "cli", "leafturner-cli")
    out = subprocess.run([cli, "--profile", profile, "info", book], capture_output=True, text=True,
                         check=True).stdout
    m = re.search(r"^length: (\d+)$", out, re.M)
    return int(m.group(1)) if m else None


class Display:
    """A private Xvfb at 1920x1080 so the window opens at a real screen size; offscreen without it."""

    def __init__(self):
        self.proc = None
        self.env = {"QT_QPA_PLATFORM": "offscreen"}
        xvfb = shutil.which("Xvfb")
        if not xvfb:
            return
        r, w = os.pipe()
        self.proc = subprocess.Popen([xvfb, "-displayfd", str(w), "-screen", "0", "1920x1080x24", "-nolisten",
                                      "tcp"], pass_fds=(w,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        with os.fdopen(r, "rb") as f:
            number = f.readline().strip()
        if number:
            self.env = {"QT_QPA_PLATFORM": "xcb", "DISPLAY": ":" + number.decode()}
        else:
            self.close()

    def close(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()
            self.proc = None


def first_paint(app, args, profile, display):
    env = dict(os.environ, LEAFTURNER_EXIT_AFTER_FIRST_PAINT="1", **display.env)
    env.pop("LEAFTURNER_PROFILE", None)
    run = run_measured([app, "--profile", profile] + args, env=env, timeout=120)
    m = re.search(r"first-paint-ms: (\d+)", run.stdout)
    if run.rc != 0 or not m:
        raise RuntimeError("leafturner %s: exit %d, %s" % (" ".join(args), run.rc,
                                                         (run.stdout + run.stderr).strip()[-300:]))
    return int(m.group(1)), run.peak_kb / 1024.0


def set_last_pos(profile, units):
    """Moves the restored place to the middle of the book, so restore has to find a page deep inside."""
    ini = os.path.join(profile, "Leafturner.ini")
    raw = open(ini, "rb").read()
    for enc, bom in (("utf-16-le", b"\xff\xfe"), ("utf-16-be", b"\xfe\xff"), ("utf-8", b"")):
        if raw.startswith(bom):
            break
    text = raw[len(bom):].decode(enc)
    line = "PARA_LAST_POS=%d" % (units // 2)
    text, n = re.subn(r"(?im)^PARA_LAST_POS=\d*", line, text)
    if not n:
        # A setting still at its default is not in the file; it goes into its section.
        text, n = re.subn(r"(?im)^\[ParaBlock\]\r?\n", lambda m: m.group(0) + line + "\r\n", text, count=1)
    if n:
        open(ini, "wb").write(bom + text.encode(enc))
    return n > 0


def startup_figures(build, books, runs, work):
    app = os.path.join(build, "src", "app", "leafturner")
    display = Display()
    out = []
    try:
        small = make_book(build, books, "small-utf8.txt", 2000, "utf8")
        cases = [("UTF-8", make_book(build, books, "book-10m-utf8.txt", 10_000_000, "utf8")),
                 ("GBK", make_book(build, books, "book-10m-gbk.txt", 10_000_000, "gbk"))]
        platform = display.env.get("QT_QPA_PLATFORM")

        def restore_runs(book, middle):
            profile = tempfile.mkdtemp(prefix="profile-", dir=work)
            open_ms, open_peak = first_paint(app, [book], profile, display)
            units = book_units(build, book, profile)
            if middle and not set_last_pos(profile, units):
                raise RuntimeError("no PARA_LAST_POS in the settings file after opening %s" % book)
            times, peaks = [], []
            for _ in range(runs):
                ms, mb = first_paint(app, [], profile, display)
                times.append(ms)
                peaks.append(mb)
            return open_ms, open_peak, times, peaks, units

        _, _, small_times, small_peaks, _ = restore_runs(small, False)
        small_ms = statistics.median(small_times)
        small_mb = max(small_peaks)
        out.append(Figure("start-up to first page, 2,000-char book (restore)", small_ms, "ms", peak_mb=small_mb,
                          note="baseline"))
        for label, book in cases:
            open_ms, open_peak, times, peaks, units = restore_runs(book, True)
            ms = statistics.median(times)
            mb = max(peaks)
            text_mb = units * 2 / MB
            file_mb = os.path.getsize(book) / MB
            out.append(Figure("start-up with restore to first page, 10M-char %s book (median of %d)" %
                              (label, runs), ms, "ms", small_ms, "same start-up, 2,000-char book", "< 1 s",
                              below(ms, 1000.0), mb))
            out.append(Figure("open from the command line to first page, 10M-char %s book" % label, open_ms,
                              "ms", small_ms, "start-up, 2,000-char book", peak_mb=open_peak))
            out.append(Figure("start-up peak memory, whole process, %s (%.0f MB file, %.0f MB UTF-16)" %
                              (label, file_mb, text_mb), mb, "MB", text_mb, "UTF-16 text",
                              "< 3x UTF-16 text", below(mb / text_mb, 3.0), mb,
                              note="%.2fx the file" % (mb / file_mb)))
            added = mb - small_mb
            out.append(Figure("start-up memory the book adds (over the 2,000-char run), %s" % label, added, "MB",
                              text_mb, "UTF-16 text", "< 3x UTF-16 text", below(added / text_mb, 3.0), mb,
                              note="%.2fx the file" % (added / file_mb)))
        print("  start-up measured on the %s platform" % platform, file=sys.stderr)
    finally:
        display.close()
    return out


# ---------------------------------------------------------------------------------------------------

def print_lines(figures):
    for program, figs in figures:
        for f in figs:
            ref = "%s (%s)" % (fmt(f.ref, f.unit), f.ref_what) if f.ref is not None or f.ref_what else "-"
            ratio = "%.2fx" % f.ratio if f.ratio is not None else "-"
            target = "%s: %s" % (f.target, verdict(f)) if f.target else "-"
            peak_mb = "%.0f MB" % f.peak_mb if f.peak_mb is not None else "-"
            note = "; " + f.note if f.note else ""
            print("%-16s %s | ours %s | ref %s | ratio %s | target %s | peak %s%s" %
                  (program, f.what, fmt(f.ours, f.unit), ref, ratio, target, peak_mb, note))


def slowest_turns(figs):
    """The twenty page-turn figures as two rows: the slowest mode for a spread and for a single page."""
    out = []
    for layout in ("spread", "single page"):
        group = [f for f in figs if f.what.endswith(", " + layout)]
        timed = [f for f in group if f.ours is not None]
        if not timed:
            out.extend(group)
            continue
        worst = max(timed, key=lambda f: f.ours)
        mode = re.search(r"mode (\d+)", worst.what).group(1)
        met = None if len(timed) < len(group) else all(f.met for f in group)
        out.append(Figure("page-turn frame, %s, slowest of the %d modes (mode %s)" % (layout, len(group), mode),
                          worst.ours, worst.unit, worst.ref, worst.ref_what, "every mode " + worst.target, met,
                          worst.peak_mb))
    return out


def markdown(figures, machine):
    rows = ["| what | ours | reference | ratio | target | met? | peak memory |",
            "| --- | --- | --- | --- | --- | --- | --- |"]
    for program, figs in figures:
        if program == "bench_turn":
            figs = slowest_turns(figs)
        for f in figs:
            ref = "%s %s" % (fmt(f.ref, f.unit), "(" + f.ref_what + ")" if f.ref_what else "") \
                if f.ref is not None else "-"
            ratio = "%.2fx" % f.ratio if f.ratio is not None else "-"
            note = " (%s)" % f.note if f.note else ""
            rows.append("| %s | %s%s | %s | %s | %s | %s | %s |" % (
                f.what, fmt(f.ours, f.unit), note, ref.strip(), ratio, f.target or "-", verdict(f),
                "%.0f MB" % f.peak_mb if f.peak_mb is not None else "-"))
    return "Machine: %s\n\n%s\n" % (machine, "\n".join(rows))


def load_average():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def machine_name():
    model = "unknown CPU"
    try:
        out = subprocess.run(["lscpu"], capture_output=True, text=True).stdout
        m = re.search(r"^Model name:\s*(.+)$", out, re.M)
        if m:
            model = m.group(1).strip()
    except OSError:
        pass
    return "%s, %d cores" % (model, os.cpu_count() or 0)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--build", required=True)
    ap.add_argument("--min-time", type=float, default=0.25,
                    help="--benchmark_min_time for each repetition (benchmarks that set their own keep it)")
    ap.add_argument("--repetitions", type=int, default=3, help="figures are the median over these")
    ap.add_argument("--startup-runs", type=int, default=5)
    ap.add_argument("--only", nargs="*", help="bench_* programs to run (and 'startup'); all when absent")
    ap.add_argument("--markdown", help="also write the figures as a Markdown table to this file")
    a = ap.parse_args()
    a.build = os.path.abspath(a.build)
    global BUILD_DIR
    BUILD_DIR = a.build

    load_start = load_average()
    bench_dir = os.path.join(a.build, "bench")
    order = list(FIGURES)
    # The known programs in the order of the features they measure, any others after them.
    programs = sorted((p for p in os.listdir(bench_dir) if p.startswith("bench_")
                       and os.access(os.path.join(bench_dir, p), os.X_OK)
                       and os.path.isfile(os.path.join(bench_dir, p))),
                      key=lambda p: (order.index(p) if p in order else len(order), p))
    wanted = set(a.only) if a.only else None
    log_dir = os.path.join(a.build, "bench-results")
    os.makedirs(log_dir, exist_ok=True)
    failures = []
    figures = []
    for p in programs:
        if wanted is not None and p not in wanted:
            continue
        r = run_bench(os.path.join(bench_dir, p), a.min_time, a.repetitions, log_dir)
        maker = FIGURES.get(p)
        if maker:
            figs = maker(r)
        else:
            # A program this script does not know yet: every entry as it came.
            figs = [Figure(n, r.ms(n), "ms", peak_mb=peak(r)) for n in r.entries]
        if r.error:
            failures.append("%s: %s" % (p, r.error))
            figs.insert(0, Figure("FAILED: " + r.error, None, "ms", peak_mb=peak(r)))
        figures.append((p, figs))
    for p in sorted(FIGURES):
        if p not in programs and (wanted is None or p in wanted):
            failures.append("%s: not built" % p)
    if wanted is None or "startup" in wanted:
        print("running start-up ...", file=sys.stderr, flush=True)
        books = os.path.join(a.build, "bench-books")
        os.makedirs(books, exist_ok=True)
        work = tempfile.mkdtemp(prefix="leafturner-bench-")
        try:
            figures.append(("startup", startup_figures(a.build, books, a.startup_runs, work)))
        except (RuntimeError, subprocess.CalledProcessError, OSError) as e:
            failures.append("startup: %s" % e)
        finally:
            shutil.rmtree(work, ignore_errors=True)

    # Start-up belongs with the reading view, after the page-turn figures.
    shown = order[:order.index("bench_turn") + 1] + ["startup"] + order[order.index("bench_turn") + 1:]
    figures.sort(key=lambda pf: shown.index(pf[0]) if pf[0] in shown else len(shown))
    machine = machine_name()
    print("Machine: %s; load average at the start %s, at the end %s" % (machine, load_start, load_average()))
    print_lines(figures)
    if a.markdown:
        with open(a.markdown, "w") as f:
            f.write(markdown(figures, machine))
    if failures:
        print("\nFAILED:", file=sys.stderr)
        for f in failures:
            print("  " + f, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
