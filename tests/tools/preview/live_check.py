#!/usr/bin/env python3
"""Tunes the report page live in headless Chromium, as a modder would, and
holds it to the tool: after edits made through window.atmosphere, the page's
timeline and findings must be the bytes that `atmosphere-sim run` and
`check` give for the page's ini(), and ini() must differ from the file only
in the edited lines. Prints the measurements (time to ready, median redraw
of 20 edits, page size); with --screenshots, writes the page at 1400 and 800
pixels wide.

  live_check.py --tool ATMOSPHERE_SIM --config INI --work DIR
                [--chromium PATH] [--screenshots DIR]
"""
import base64
import json
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_check import TIMEOUT, Browser, fresh_work, page_check_arguments  # noqa: E402

EDITS = [("CLOUDS", "CloudZoneStart", "850"), ("CLOUDS", "AboveCloudsZoneWindMultiplier", "0.75"),
         ("CLOUDS", "EnableLightningAboveClouds", "1"), ("KEYS", "DebugKey", "0x2E"),
         ("RAIN", "NormalZoneEnd", "950")]


def evaluate(browser, session, expression):
    answer = browser.call("Runtime.evaluate", session, expression=expression, awaitPromise=True,
                          returnByValue=True)
    if "exceptionDetails" in answer:
        raise RuntimeError(f"{expression}: {json.dumps(answer['exceptionDetails'])[:400]}")
    return answer["result"].get("value")


def screenshot(browser, session, width, path):
    browser.call("Emulation.setDeviceMetricsOverride", session, width=width, height=1000, deviceScaleFactor=1,
                 mobile=False)
    # A modder's view: the flight's weather open, as after a click on it.
    evaluate(browser, session, "document.querySelector('#live-fields details[data-section=CLOUDS]').open = true")
    evaluate(browser, session, "new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")
    top = evaluate(browser, session, "document.getElementById('flight').getBoundingClientRect().top + scrollY")
    clip = {"x": 0, "y": max(0, top - 10), "width": width, "height": 2200, "scale": 1}
    image = browser.call("Page.captureScreenshot", session, format="png", clip=clip, captureBeyondViewport=True)
    with open(path, "wb") as file:
        file.write(base64.b64decode(image["data"]))


def tool_output(tool, arguments, folder):
    run = subprocess.run([os.path.abspath(tool), *arguments], cwd=folder, capture_output=True, timeout=TIMEOUT)
    if run.returncode not in (0, 1):
        raise RuntimeError(f"{arguments}: {run.stderr.decode(errors='replace')}")
    return run.stdout


def main():
    arguments = page_check_arguments(("--screenshots", False))
    fresh_work(arguments.work, arguments.config)
    tool_output(arguments.tool, ["run", "atmosphere.ini", "--output", "preview"], arguments.work)
    page = os.path.join(arguments.work, "preview", "report.html")

    problems = []
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as profile:
        browser = Browser(arguments.chromium, profile)
        try:
            started = time.monotonic()
            session = browser.open(page, ("Page", "Runtime"))
            if not evaluate(browser, session, "typeof window.atmosphere === 'object'"):
                problems.append("the page has no live part (built without the web module?)")
                raise StopIteration
            evaluate(browser, session, "atmosphere.ready.then(() => true)")
            ready = time.monotonic() - started

            # What an edit must draw again: the zone table, and the edited weathers' sections.
            evaluate(browser, session, "document.getElementById('zone-section').dataset.before = '1'")
            for section, key, value in EDITS:
                evaluate(browser, session, f"atmosphere.set({json.dumps(section)}, {json.dumps(key)}, "
                                           f"{json.dumps(value)}).then(() => true)")
            refused = evaluate(browser, session, "atmosphere.set('CLOUDS', 'CloudZoneStart', '850,5')"
                                                 ".then(() => false, () => true)")
            if not refused:
                problems.append("a value the module would misread was taken")
            ini = evaluate(browser, session, "atmosphere.ini()").encode("latin1")
            timeline = evaluate(browser, session, "atmosphere.timeline()").encode("latin1")
            findings = evaluate(browser, session, "atmosphere.check()").encode("latin1")
            redrawn = evaluate(browser, session, """[
                !document.getElementById('zone-section').dataset.before,
                document.querySelector('#weather-CLOUDS svg.ladder').textContent.includes('850'),
                document.querySelector('#weather-RAIN svg.ladder').textContent.includes('950')]""")
            if redrawn != [True, True, True]:
                problems.append(f"not drawn again after the edits (zone table, CLOUDS, RAIN): {redrawn}")
            changes = evaluate(browser, session, "document.querySelectorAll('#live-changes li').length")
            if changes != len(EDITS):
                problems.append(f"{changes} changes listed, not {len(EDITS)}")

            # The redraw a dragged field asks for, 20 times: median.
            times = evaluate(browser, session, """(async () => {
                const times = [];
                for (let i = 0; i < 20; ++i) {
                    const started = performance.now();
                    await atmosphere.set('CLOUDS', 'CloudZoneEnd', String(1150 + i));
                    times.push(performance.now() - started);
                }
                return times.sort((a, b) => a - b);
            })()""")
            if arguments.screenshots:
                os.makedirs(arguments.screenshots, exist_ok=True)
                for width in (1400, 800):
                    screenshot(browser, session, width, os.path.join(arguments.screenshots, f"live-{width}.png"))
        except StopIteration:
            pass
        finally:
            browser.close()
    if problems:
        for problem in problems:
            print("report.html:", problem)
        print("0 passed, 1 failed")
        return 1

    shipped = open(arguments.config, "rb").read()
    before, after = shipped.split(b"\n"), ini.split(b"\n")
    changed = [i for i in range(min(len(before), len(after))) if before[i] != after[i]]
    if len(before) != len(after) or len(changed) != len(EDITS):
        problems.append(f"ini() differs from the file in {len(changed)} lines, not {len(EDITS)}")
    with open(os.path.join(arguments.work, "atmosphere.ini"), "wb") as file:
        file.write(ini)
    tool_output(arguments.tool, ["run", "atmosphere.ini", "--output", "edited"], arguments.work)
    if timeline != open(os.path.join(arguments.work, "edited", "timeline.csv"), "rb").read():
        problems.append("the page's timeline is not the tool's for ini()")
    if findings != tool_output(arguments.tool, ["check", "atmosphere.ini"], arguments.work):
        problems.append("the page's findings are not the tool's for ini()")

    print(f"measured: ready after {ready * 1000:.0f} ms; redraw after an edit, median of 20: "
          f"{times[10]:.1f} ms (fastest {times[0]:.1f}, slowest {times[-1]:.1f}); "
          f"page {os.path.getsize(page) / 1e6:.2f} MB")
    for problem in problems:
        print("report.html:", problem)
    print("1 passed, 0 failed" if not problems else "0 passed, 1 failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
