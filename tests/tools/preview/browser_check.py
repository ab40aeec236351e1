#!/usr/bin/env python3
"""Opens the preview's report page in headless Chromium and checks it as a
reader would see it: the checker's verdict at the top, a contents list whose
links all lead somewhere on the page, the flight's chart drawn, every one of
the 15 weathers with its ladder and its climb drawn, no console error,
nothing fetched beyond the page's own file, and a live part that flies the
tool's flight file again to the tool's timeline. Talks to the browser over the
DevTools protocol on a pipe, with only Python's standard library.

  browser_check.py --tool ATMOSPHERE_SIM --config INI --flight CSV --work DIR
                   [--chromium PATH] [--screenshot PNG]
"""
import argparse
import base64
import fcntl
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TIMEOUT = 90  # seconds for the whole check


class Browser:
    def __init__(self, chromium, profile):
        # Kept above 4, so that placing them on 3 and 4 in the child never
        # meets a descriptor already there.
        high = lambda fd: (fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10), os.close(fd))[0]
        to_browser_read, self.to_browser = map(high, os.pipe())
        self.from_browser, from_browser_write = map(high, os.pipe())

        def descriptors():
            # The protocol pipe: the browser reads commands on 3, answers on 4.
            os.dup2(to_browser_read, 3)
            os.dup2(from_browser_write, 4)

        self.process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--remote-debugging-pipe", "--window-size=1500,1100", "about:blank"],
            preexec_fn=descriptors, close_fds=False, start_new_session=True,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.deadline = time.monotonic() + TIMEOUT

    def close(self):
        # Ask first; the browser's own processes then end with it. Whatever
        # is left of the group this check started goes after a grace period.
        try:
            self.deadline = time.monotonic() + 10
            self.call("Browser.close")
        except (OSError, RuntimeError, TimeoutError):
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()

    def _message(self):
        while b"\0" not in self.buffer:
            remaining = self.deadline - time.monotonic()
            if remaining <= 0 or not select.select([self.from_browser], [], [], remaining)[0]:
                raise TimeoutError("the browser did not answer in time")
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed the protocol pipe")
            self.buffer += chunk
        text, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(text)

    def call(self, method, session=None, **params):
        self.next_id += 1
        command = {"id": self.next_id, "method": method, "params": params}
        if session:
            command["sessionId"] = session
        os.write(self.to_browser, json.dumps(command).encode() + b"\0")
        while True:
            message = self._message()
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message["result"]
            self.events.append(message)

    def open(self, page, domains):
        """Opens the file `page` in a new tab, with the protocol's `domains`
        enabled, and waits for it to load; returns the tab's session."""
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in domains:
            self.call(domain + ".enable", session)
        self.call("Page.navigate", session, url="file://" + os.path.abspath(page))
        self.wait_for("Page.loadEventFired")
        return session

    def wait_for(self, method):
        for event in self.events:
            if event.get("method") == method:
                return event
        while True:
            message = self._message()
            self.events.append(message)
            if message.get("method") == method:
                return message


# What the page shows, measured in the browser after layout.
MEASURE = """(() => {
  const drawn = svg => svg ? [...svg.querySelectorAll('path.series')].filter(p => p.getTotalLength() > 0).length : 0;
  const chart = document.querySelector('#flight-chart svg');
  const box = chart ? chart.getBoundingClientRect() : {width: 0, height: 0};
  const weathers = [...document.querySelectorAll('section.weather')].map(section => {
    const ladder = section.querySelector('svg.ladder');
    const climb = section.querySelector('.weather-chart svg');
    return {name: section.dataset.weather,
            ladder: ladder ? ladder.getBoundingClientRect().height : 0,
            rungs: ladder ? ladder.querySelectorAll('rect').length : 0,
            climb: climb ? climb.getBoundingClientRect().width : 0,
            curves: drawn(climb)};
  });
  const verdict = document.getElementById('verdict');
  const links = [...document.querySelectorAll('#contents a')].map(a => a.getAttribute('href'));
  return JSON.stringify({width: box.width, height: box.height, curves: drawn(chart),
                         zones: document.querySelectorAll('#zone-summary tr').length - 1, weathers,
                         verdict: verdict ? verdict.getBoundingClientRect().top : -1, chartTop: box.top,
                         links: links.length,
                         broken: links.filter(href => !href.startsWith('#') || !document.getElementById(href.slice(1)))});
})()"""


def check(page, timeline, chromium, screenshot):
    problems = []
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as profile:
        browser = Browser(chromium, profile)
        try:
            session = browser.open(page, ("Page", "Runtime", "Log", "Network"))
            shown = json.loads(browser.call("Runtime.evaluate", session, expression=MEASURE,
                                            returnByValue=True)["result"]["value"])
            # The live part flies the tool's flight again: the same timeline, byte for byte.
            flown = browser.call("Runtime.evaluate", session, awaitPromise=True, returnByValue=True,
                                 expression="window.atmosphere ? atmosphere.ready.then(() => atmosphere.timeline())"
                                            " : null")["result"].get("value")
            if flown is not None and flown.encode("latin1") != open(timeline, "rb").read():
                problems.append("the live part's flight is not the tool's: its timeline differs")
            if screenshot:
                # The top of the page, the verdict to the zones, at a size a README can show.
                clip = {"x": 0, "y": 0, "width": 1500, "height": 2600, "scale": 0.6}
                image = browser.call("Page.captureScreenshot", session, format="png", clip=clip,
                                     captureBeyondViewport=True)["data"]
                with open(screenshot, "wb") as file:
                    file.write(base64.b64decode(image))
            for event in browser.events:
                method, params = event.get("method"), event.get("params", {})
                if method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
                    problems.append("console error: " + json.dumps(params.get("args")))
                if method == "Runtime.exceptionThrown":
                    problems.append("exception: " + json.dumps(params.get("exceptionDetails")))
                if method == "Log.entryAdded" and params.get("entry", {}).get("level") == "error":
                    problems.append("console error: " + params["entry"].get("text", ""))
                if method == "Network.requestWillBeSent":
                    url = params.get("request", {}).get("url", "")
                    if not url.startswith(("file:", "data:", "about:")):
                        problems.append("the page fetches " + url)
        finally:
            browser.close()

    if shown["width"] < 600 or shown["height"] < 300 or shown["curves"] < 5:
        problems.append(f"the flight's chart is not drawn: {shown['width']}x{shown['height']}, "
                        f"{shown['curves']} curves")
    if not 0 <= shown["verdict"] < 200 or shown["verdict"] > shown["chartTop"]:
        problems.append(f"the verdict is not at the top of the page: at {shown['verdict']}")
    if shown["links"] != 18 or shown["broken"]:
        problems.append(f"the contents list has {shown['links']} links, not 18, broken: {shown['broken']}")
    if shown["zones"] != 7:
        problems.append(f"the zone summary has {shown['zones']} rows, not 7")
    names = [weather["name"] for weather in shown["weathers"]]
    if len(set(names)) != 15:
        problems.append(f"{len(set(names))} weathers on the page, not 15: {names}")
    for weather in shown["weathers"]:
        if weather["ladder"] < 100 or weather["rungs"] != 7 or weather["climb"] < 200 or weather["curves"] < 3:
            problems.append(f"{weather['name']} is not drawn: {weather}")
    return problems


def page_check_arguments(*more):
    """The arguments of a page check: --tool, --config, --work, --chromium,
    and `more`, each a (name, required) pair."""
    parser = argparse.ArgumentParser()
    for name in ("--tool", "--config", "--work"):
        parser.add_argument(name, required=True)
    parser.add_argument("--chromium", default=shutil.which("chromium") or "chromium")
    for name, required in more:
        parser.add_argument(name, required=required)
    return parser.parse_args()


def fresh_work(work, config, name="atmosphere.ini"):
    """Empties the folder `work` and copies `config` into it as `name`;
    returns that copy's path."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    copy = os.path.join(work, name)
    shutil.copyfile(config, copy)
    return copy


def main():
    arguments = page_check_arguments(("--flight", True), ("--screenshot", False))
    # Another name than the module's own: the page must name the file as the tool did.
    config = fresh_work(arguments.work, arguments.config, "my-atmosphere.ini")
    output = os.path.join(arguments.work, "preview")
    run = subprocess.run([arguments.tool, "run", config, "--flight", arguments.flight, "--output", output],
                         capture_output=True, text=True, timeout=TIMEOUT)
    if run.returncode != 0:
        print(run.stdout, run.stderr, sep="\n")
        return 1
    problems = check(os.path.join(output, "report.html"), os.path.join(output, "timeline.csv"), arguments.chromium,
                     arguments.screenshot)
    for problem in problems:
        print("report.html:", problem)
    print("1 passed, 0 failed" if not problems else "0 passed, 1 failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
