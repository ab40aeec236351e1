// The module in WebAssembly against the Linux tool: after edits made through
// the page's writer, the timeline of the default climb and the check's
// findings must be the tool's bytes for the same file; a misread value is
// refused. Prints "N passed, N failed" and exits non-zero on a failure.
// The same for a flight file flown with the tool's other options.
//   node web_test.mjs atmosphere-web.js NATIVE_TOOL atmosphere.ini FLIGHT
import { createRequire } from "node:module";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, writeFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";

const [webModule, nativeToolGiven, shippedFile, flightFile] = process.argv.slice(2);
const nativeTool = path.resolve(nativeToolGiven);
const AtmosphereModule = createRequire(import.meta.url)(path.resolve(webModule));
const module = await AtmosphereModule();

// Bytes in, one JS character per byte; the answer likewise, fetched apart
// (web/page_api.cpp says why).
function call(name, bytes, ...rest) {
    const pointers = [];
    const pass = (text) => {
        const pointer = module._malloc(text.length + 1);
        for (let i = 0; i < text.length; ++i) module.HEAPU8[pointer + i] = text.charCodeAt(i);
        module.HEAPU8[pointer + text.length] = 0;
        pointers.push(pointer);
        return pointer;
    };
    const args = [pass(bytes), bytes.length, ...rest.map((arg) => (typeof arg === "number" ? arg : pass(arg)))];
    module["_atmosphere_" + name](...args);
    const answer = module._atmosphere_answer();
    const length = module._atmosphere_answer_size();
    let text = "";
    for (let i = 0; i < length; ++i) text += String.fromCharCode(module.HEAPU8[answer + i]);
    pointers.forEach((pointer) => module._free(pointer));
    return text;
}

let passed = 0, failed = 0;
function expect(what, condition, detail = "") {
    if (condition) ++passed;
    else { ++failed; console.log(`FAILED: ${what}${detail ? "\n" + detail : ""}`); }
}
function firstDifference(a, b) {
    let i = 0;
    while (i < a.length && a[i] === b[i]) ++i;
    return `at byte ${i}: web ${JSON.stringify(a.slice(i, i + 80))}\n tool ${JSON.stringify(b.slice(i, i + 80))}`;
}

const shipped = readFileSync(shippedFile, "latin1");
let ini = shipped;
for (const [section, key, value] of [["CLOUDS", "CloudZoneStart", "850"], ["CLOUDS", "AboveCloudsZoneWindMultiplier", "0.75"],
                                     ["CLOUDS", "EnableLightningAboveClouds", "1"], ["KEYS", "DebugKey", "0x2E"]]) {
    ini = call("edit", ini, section, key, value);
}
const before = shipped.split("\n"), after = ini.split("\n");
expect("four edits change four lines and nothing else",
       before.length === after.length && before.filter((line, i) => line !== after[i]).length === 4);
expect("a misread value is refused", (call("edit", ini, "CLOUDS", "CloudZoneStart", "850,5")).startsWith("error: "));

const folder = mkdtempSync(path.join(tmpdir(), "atmosphere-web-"));
try {
    writeFileSync(path.join(folder, "atmosphere.ini"), Buffer.from(ini, "latin1"));
    const started = performance.now();
    const timeline = call("timeline", ini, "CLOUDS", 2);
    const webMilliseconds = performance.now() - started;
    execFileSync(nativeTool, ["run", "atmosphere.ini", "--output", "out"], { cwd: folder, stdio: "pipe" });
    const nativeTimeline = readFileSync(path.join(folder, "out", "timeline.csv"), "latin1");
    expect("the timeline is the tool's", timeline === nativeTimeline, firstDifference(timeline, nativeTimeline));

    // The flight file, with saves to the file among its frames, in a vehicle in another weather.
    writeFileSync(path.join(folder, "flight.csv"), readFileSync(flightFile));
    call("flight", readFileSync(flightFile, "latin1"), "flight.csv", "rain", 1, 7.25, "atmosphere.ini");
    const flown = call("timeline", ini, "", 2);
    execFileSync(nativeTool, ["run", "atmosphere.ini", "--flight", "flight.csv", "--weather", "RAIN", "--vehicle",
                              "--game-wind", "7.25", "--output", "flown"], { cwd: folder, stdio: "pipe" });
    const nativeFlown = readFileSync(path.join(folder, "flown", "timeline.csv"), "latin1");
    expect("the flight file's timeline is the tool's", flown === nativeFlown, firstDifference(flown, nativeFlown));

    let nativeCheck;
    try {
        nativeCheck = execFileSync(nativeTool, ["check", "atmosphere.ini"], { cwd: folder, stdio: "pipe" }).toString("latin1");
    } catch (error) {
        nativeCheck = error.stdout.toString("latin1");  // status 1: errors found
    }
    const check = call("check", ini);
    expect("the findings are the tool's", check === nativeCheck, firstDifference(check, nativeCheck));

    // A file that redirects to another, and a flight whose tag picks a numbered file: the page
    // carries the files beside the file that the tool's module read, and its module reads them.
    const redirecting = call("edit", call("edit", ini, "GLOBAL", "EnableAlternateConfigFile", "1"), "GLOBAL",
                             "AlternateConfigFile", "other.ini");
    writeFileSync(path.join(folder, "atmosphere.ini"), Buffer.from(redirecting, "latin1"));
    writeFileSync(path.join(folder, "other.ini"), Buffer.from(call("edit", ini, "CLOUDS", "CloudZoneStart", "600"), "latin1"));
    writeFileSync(path.join(folder, "atmosphere2.ini"), Buffer.from(call("edit", ini, "CLOUDS", "CloudZoneEnd", "1300"), "latin1"));
    const tagged = "frame,altitude,weather,vehicle,keys,tags\n0,0,,,,\n400,1500,,,,fileindex=2\n800,0,,,,\n";
    writeFileSync(path.join(folder, "tagged.csv"), tagged);
    execFileSync(nativeTool, ["run", "atmosphere.ini", "--flight", "tagged.csv", "--output", "beside"], { cwd: folder, stdio: "pipe" });
    const page = readFileSync(path.join(folder, "beside", "report.html"), "latin1");
    const beside = [...page.matchAll(/<script [^>]*class="atmosphere-beside" data-name="([^"]*)">([^<]*)<\/script>/g)];
    expect("the page carries the alternate and the numbered file",
           beside.map((match) => match[1]).join(" ") === "atmosphere2.ini other.ini", beside.map((match) => match[1]).join(" "));
    for (const [, name, bytes] of beside) call("beside", Buffer.from(bytes, "base64").toString("latin1"), name);
    call("flight", tagged, "tagged.csv", "CLOUDS", 0, 3, "atmosphere.ini");
    const besideFlown = call("timeline", redirecting, "", 2);
    const nativeBeside = readFileSync(path.join(folder, "beside", "timeline.csv"), "latin1");
    expect("a flight that reads the files beside the file is the tool's", besideFlown === nativeBeside,
           firstDifference(besideFlown, nativeBeside));
    console.log(`web run of the default climb: ${webMilliseconds.toFixed(0)} ms, ${timeline.split("\n").length - 2} frames`);
} finally {
    rmSync(folder, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
