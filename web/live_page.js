// The report page's live part: the module, compiled to WebAssembly and
// embedded above this script (AtmosphereModule), flies the tool's flight
// again on every edit, and the page redraws the chart, the zone table, the
// edited weather's ladder, settings and climb, and the findings. Every
// setting is a field; every edit is listed and can be undone; Save writes
// the file as it was but for the edited values. Without WebAssembly, or
// without scripts, the page stays the static report it was written as.
"use strict";
(function () {
    const data = document.getElementById("atmosphere-file");
    const panel = document.getElementById("live");
    if (!data || !panel || typeof WebAssembly !== "object" || typeof AtmosphereModule !== "function") return;
    const flightData = document.getElementById("atmosphere-flight");

    const Weathers = ["EXTRASUNNY", "CLEAR", "CLOUDS", "SMOG", "FOGGY", "OVERCAST", "RAIN", "THUNDER", "CLEARING",
        "NEUTRAL", "SNOW", "BLIZZARD", "SNOWLIGHT", "XMAS", "HALLOWEEN"];
    const original = atob(data.textContent.trim());  // one character per byte
    let module = null;
    let edits = [];  // {section, key, before, after}, in the order made
    let current = original;
    let timelineText = null;  // made when asked for: an edit's redraw needs only the chart
    let checkText = "";
    let settings = [];
    let lists = null;
    // What the page flies: the flight file the tool ran ("") or the climb in a weather.
    let flown = flightData ? "" : data.dataset.weather || "CLOUDS";
    const speed = Number(data.dataset.speed || 2);
    let fileHandle = null;

    // The module's functions take byte strings (one character per byte) and
    // answer with bytes, which may hold NUL.
    function call(name, ...args) {
        const pointers = [];
        const values = [];
        args.forEach((arg, index) => {
            if (typeof arg === "number") {
                values.push(arg);
                return;
            }
            const pointer = module._malloc(arg.length + 1);
            for (let i = 0; i < arg.length; ++i) module.HEAPU8[pointer + i] = arg.charCodeAt(i);
            module.HEAPU8[pointer + arg.length] = 0;
            pointers.push(pointer);
            values.push(pointer);
            if (index === 0) values.push(arg.length);  // the file comes first, with its size
        });
        // The answer is fetched apart, with its length: it may hold NUL.
        module["_atmosphere_" + name](...values);
        const answer = module._atmosphere_answer();
        const bytes = module.HEAPU8.subarray(answer, answer + module._atmosphere_answer_size());
        let text = "";
        for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
        pointers.forEach((pointer) => module._free(pointer));
        return text;
    }

    function element(tag, attributes, ...children) {
        const node = document.createElement(tag);
        for (const [name, value] of Object.entries(attributes || {})) {
            if (name === "text") node.textContent = value;
            else node.setAttribute(name, value);
        }
        for (const child of children) node.append(child);
        return node;
    }

    // Makes the node `old` into `made`, changing only what differs: the
    // browser then lays out and paints again only what an edit changed (a
    // whole section put in anew cost it as much as the flight).
    function morph(old, made) {
        if (old.nodeType !== made.nodeType || old.nodeName !== made.nodeName) {
            old.replaceWith(made);
            return;
        }
        if (old.nodeType !== Node.ELEMENT_NODE) {
            if (old.nodeValue !== made.nodeValue) old.nodeValue = made.nodeValue;
            return;
        }
        for (const attribute of made.attributes) {
            if (old.getAttributeNS(attribute.namespaceURI, attribute.localName) !== attribute.value) {
                old.setAttributeNS(attribute.namespaceURI, attribute.name, attribute.value);
            }
        }
        for (const attribute of [...old.attributes]) {
            if (!made.hasAttributeNS(attribute.namespaceURI, attribute.localName)) old.removeAttributeNode(attribute);
        }
        const olds = [...old.childNodes];
        const mades = [...made.childNodes];
        mades.forEach((child, index) => (index < olds.length ? morph(olds[index], child) : old.append(child)));
        for (const child of olds.slice(mades.length)) child.remove();
    }

    // Puts the report's markup `html` in place of what the element `id` shows.
    function replace(id, html) {
        const old = document.getElementById(id);
        if (!old || !html) return;
        const made = document.createElement("template");
        made.innerHTML = html;
        const drawn = made.content.firstElementChild;
        if (!drawn) return;
        if (drawn.id === id) morph(old, drawn);
        else if (old.firstElementChild) morph(old.firstElementChild, drawn);  // a container: the chart's
        else old.append(drawn);
    }

    function edited() {
        let text = original;
        for (const edit of edits) {
            const answer = call("edit", text, edit.section, edit.key, edit.after);
            if (!answer.startsWith("error: ")) text = answer;
        }
        return text;
    }

    // The weather sections an edit of `section` changes: its own; all of
    // them for [GLOBAL] (the wind, the alternate file); none for the keys and
    // the debug text, which no climb shows.
    function sectionsOf(section) {
        const name = section.toUpperCase();
        if (Weathers.includes(name)) return [name];
        return name === "GLOBAL" ? Weathers : [];
    }

    // Flies `text` and draws what the flight shows: the chart, the zone
    // table and the sections of `weathers`.
    function fly(text, weathers) {
        const answer = call("fly", text, flown, speed);
        document.getElementById("live-status").textContent = answer.startsWith("error: ") ? answer.slice(7) : "";
        replace("flight-chart", call("chart"));
        replace("zone-section", call("zones"));
        for (const name of weathers) replace("weather-" + name, call("weather", text, name));
    }

    // Flies again and redraws everything that depends on the file: `text`
    // when the caller has it already, else the file with every edit replayed.
    function redraw(text, weathers) {
        current = text === undefined ? edited() : text;
        timelineText = null;
        fly(current, weathers);
        refresh();
    }

    // Redraws what the file alone decides: its findings and its fields.
    function refresh() {
        checkText = call("check", current);
        settings = JSON.parse(call("settings", current));
        drawFindings();
        updateFields();
        drawChanges();
    }

    function findingsByLine() {
        const lines = {};
        for (const finding of checkText.split("\n")) {
            const match = /^[^:]*:(\d+): (error|warning|note): (.*)$/.exec(finding);
            if (match) (lines[match[1]] = lines[match[1]] || []).push({ severity: match[2], text: match[3] });
        }
        return lines;
    }

    function drawFindings() {
        const list = document.getElementById("live-findings");
        list.replaceChildren();
        for (const finding of checkText.split("\n").filter((line) => line.length > 0)) {
            const severity = (/: (error|warning|note): /.exec(finding) || [null, "note"])[1];
            list.append(element("li", { class: severity, text: finding }));
        }
    }

    function unitOf(setting) {
        if (setting.kind === "flag") return "1 on, 0 off";
        if (setting.kind === "key") return "key";
        if (/Zone(Start|End)$/.test(setting.key)) return "altitude, metres";
        if (/WindMultiplier$/.test(setting.key)) return "× the game's wind";
        if (/TransitionTime$/.test(setting.key)) return "seconds";
        if (/^Pos[XY]$/.test(setting.key)) return "of the screen";
        return "";
    }

    // Shows `setting.value` in its field; a value no list entry has is
    // offered as written.
    function showValue(field, setting) {
        if (field.tagName !== "SELECT") {
            if (document.activeElement !== field) field.value = setting.value;
            return;
        }
        let value = setting.value;
        if (setting.kind === "key") {
            const code = "0x" + parseInt(value, 16).toString(16).toUpperCase().padStart(2, "0");
            if ([...field.options].some((option) => option.value === code && !option.dataset.written)) value = code;
        }
        for (const option of [...field.options]) if (option.dataset.written) option.remove();
        if (![...field.options].some((option) => option.value === value)) {
            const written = element("option", { value, text: value + " (as written)" });
            written.dataset.written = "1";
            field.prepend(written);
        }
        field.value = value;
    }

    function input(setting) {
        const apply = (value) => set(setting.section, setting.key, value).catch(() => {});
        let field;
        const choose = (options) => {
            field = element("select");
            for (const [value, label] of options) field.append(element("option", { value, text: label }));
        };
        switch (setting.kind) {
        case "flag": choose([["0", "0: off"], ["1", "1: on"]]); break;
        case "cloud": choose(lists.clouds.map((name) => [name, name])); break;
        case "weather": choose(lists.weathers.map((name) => [name, name])); break;
        case "key": choose(lists.keys.map(([value, name]) => [value, value + ", " + name])); break;
        case "real": {
            field = element("input", { type: "number", step: "any" });
            // Dragging sideways over the field changes the value by steps of
            // a hundredth of its size; the chart follows the hand, and the
            // release makes the one change.
            field.addEventListener("pointerdown", (event) => {
                if (event.button !== 0 || event.target !== field || document.activeElement === field) return;
                const start = event.clientX, from = Number(field.value) || 0;
                const step = Math.max(Math.abs(from) / 100, 0.01);
                const move = (moved) => {
                    field.value = String(Math.round((from + (moved.clientX - start) * step) * 1000) / 1000);
                    preview(setting, field.value);
                };
                const stop = () => {
                    window.removeEventListener("pointermove", move);
                    window.removeEventListener("pointerup", stop);
                    if (field.value !== setting.value) apply(field.value);
                    else fly(current, sectionsOf(setting.section));
                };
                window.addEventListener("pointermove", move);
                window.addEventListener("pointerup", stop);
            });
            break;
        }
        default: field = element("input", { type: setting.kind === "text" ? "text" : "number" });
        }
        field.dataset.section = setting.section;
        field.dataset.key = setting.key;
        field.addEventListener("change", () => apply(field.value));
        showValue(field, setting);
        return field;
    }

    // While a value is dragged: the flight with it, once per frame at most,
    // without making it a change.
    let previewing = null;
    function preview(setting, value) {
        const first = previewing === null;
        previewing = { setting, value };
        if (!first) return;
        requestAnimationFrame(() => {
            const { setting: shown, value: shownValue } = previewing;
            previewing = null;
            const answer = call("edit", current, shown.section, shown.key, shownValue);
            if (!answer.startsWith("error: ")) fly(answer, sectionsOf(shown.section));
        });
    }

    // The fields, made once; each redraw then changes only what differs.
    const fields = new Map();  // "SECTION\nKey" -> {setting, field, what, notes, group}
    function buildFields() {
        const place = document.getElementById("live-fields");
        let group = null;
        for (const setting of settings) {
            if (!group || group.dataset.section !== setting.section) {
                group = element("details", { "data-section": setting.section }, element("summary", { text: "[" + setting.section + "]" }));
                place.append(group);
            }
            const entry = {
                setting: {},
                label: element("label", { text: setting.key }),
                field: input(setting),
                what: element("span", { class: "what" }),
                notes: element("div", { class: "field-findings" }),
                group,
                shownNotes: "",
            };
            group.append(element("div", { class: "field" }, entry.label, entry.field, entry.what, entry.notes));
            fields.set(setting.section + "\n" + setting.key, entry);
        }
    }

    function updateFields() {
        const lines = findingsByLine();
        const withFindings = new Set();
        for (const setting of settings) {
            const entry = fields.get(setting.section + "\n" + setting.key);
            if (entry.setting.value !== setting.value) showValue(entry.field, setting);
            if (entry.setting.line !== setting.line) {
                entry.label.title = setting.line ? "line " + setting.line : "not in the file: the default";
                entry.what.textContent = [setting.role, unitOf(setting), setting.line ? "" : "(default)"].filter(Boolean).join("; ");
            }
            entry.setting = setting;
            const found = lines[setting.line] || [];
            const shown = JSON.stringify(found);
            if (shown !== entry.shownNotes) {
                entry.shownNotes = shown;
                entry.notes.replaceChildren(...found.map((finding) => element("div", { class: finding.severity, text: finding.severity + ": " + finding.text })));
            }
            if (found.length > 0) withFindings.add(entry.group);
        }
        for (const group of document.querySelectorAll("#live-fields details")) group.classList.toggle("has-findings", withFindings.has(group));
    }

    function drawChanges() {
        const list = document.getElementById("live-changes");
        list.replaceChildren();
        edits.forEach((edit, index) => {
            const undo = element("button", { type: "button", text: "Undo" });
            undo.addEventListener("click", () => { edits.splice(index, 1); redraw(undefined, sectionsOf(edit.section)); });
            list.append(element("li", {}, `[${edit.section}] ${edit.key}: ${edit.before} → ${edit.after} `, undo));
        });
        document.getElementById("live-revert").disabled = edits.length === 0;
    }

    function valueOf(section, key) {
        const setting = settings.find((s) => s.section.toUpperCase() === section.toUpperCase() && s.key.toUpperCase() === key.toUpperCase());
        return setting ? setting.value : "";
    }

    // One edit as its field makes it; a value the module would misread is refused.
    function set(section, key, value) {
        value = String(value);
        const answer = call("edit", current, section, key, value);
        const status = document.getElementById("live-status");
        if (answer.startsWith("error: ")) {
            status.textContent = `[${section}] ${key}: ${answer.slice(7)}`;
            const entry = fields.get(section + "\n" + key);
            if (entry) showValue(entry.field, entry.setting);
            return Promise.reject(new Error(answer.slice(7)));
        }
        edits.push({ section, key, before: valueOf(section, key), after: value });
        redraw(answer, sectionsOf(section));
        return new Promise((resolve) => requestAnimationFrame(() => resolve()));
    }

    function save() {
        const bytes = Uint8Array.from(current, (c) => c.charCodeAt(0));
        if (fileHandle) {
            return fileHandle.createWritable().then((stream) => stream.write(bytes).then(() => stream.close()));
        }
        const link = element("a", { href: URL.createObjectURL(new Blob([bytes])), download: "atmosphere.ini" });
        link.click();
        URL.revokeObjectURL(link.href);
        return Promise.resolve();
    }

    function build() {
        const picker = element("select", { id: "live-weather" });
        if (flightData) picker.append(element("option", { value: "", text: "the flight " + flightData.dataset.name }));
        for (const name of Weathers) picker.append(element("option", { value: name, text: "the climb in " + name }));
        picker.value = flown;
        picker.addEventListener("change", () => { flown = picker.value; timelineText = null; fly(current, []); });
        const saveButton = element("button", { type: "button", text: "Save" });
        saveButton.addEventListener("click", save);
        const revert = element("button", { type: "button", id: "live-revert", text: "Revert all" });
        revert.addEventListener("click", () => {
            const weathers = [...new Set(edits.flatMap((edit) => sectionsOf(edit.section)))];
            edits = [];
            redraw(undefined, weathers);
        });
        const tools = element("p", { class: "live-tools" }, "Fly ", picker, " ", saveButton, " ", revert);
        if (window.showOpenFilePicker) {
            const open = element("button", { type: "button", text: "Open…" });
            open.addEventListener("click", async () => {
                [fileHandle] = await window.showOpenFilePicker({ types: [{ description: "atmosphere.ini", accept: { "text/plain": [".ini"] } }] });
                saveButton.textContent = "Save to " + fileHandle.name;
            });
            tools.append(" ", open);
        }
        panel.replaceChildren(
            element("h2", { id: "live-heading", text: "Live tuning" }),
            element("p", { class: "note", text: "Every setting is a field: an edit flies again with the module's own code and redraws the chart above, the zone table, the weather's ladder and climb below, and the findings. Save writes the file as it was, but for the edited values." }),
            tools,
            element("p", { id: "live-status", class: "error" }),
            element("div", { class: "live-columns" },
                element("div", { id: "live-fields" }),
                element("div", {},
                    element("h3", { text: "Changes" }), element("ol", { id: "live-changes" }),
                    element("h3", { text: "Findings" }), element("ul", { id: "live-findings" }))));
        panel.hidden = false;
    }

    const ready = AtmosphereModule().then((instance) => {
        module = instance;
        const flightBytes = flightData ? atob(flightData.textContent.trim()) : "";
        call("flight", flightBytes, flightData ? flightData.dataset.name : "", data.dataset.weather || "CLOUDS",
            Number(data.dataset.vehicle || 0), Number(data.dataset.gameWind || 3), data.dataset.name || "atmosphere.ini");
        // The files beside it that the module may read in its place, as the tool found them.
        for (const beside of document.querySelectorAll("script.atmosphere-beside")) {
            call("beside", atob(beside.textContent.trim()), beside.dataset.name);
        }
        lists = JSON.parse(call("lists"));
        settings = JSON.parse(call("settings", current));
        build();
        buildFields();
        // The static report already shows this file's flight, as the tool drew
        // it: the module flies it for the timeline alone.
        refresh();
        timelineText = call("timeline", current, flown, speed);
        return new Promise((resolve) => requestAnimationFrame(() => resolve()));
    });

    window.atmosphere = {
        ready,
        set,
        ini: () => current,
        timeline: () => {
            if (timelineText === null) timelineText = call("timeline", current, flown, speed);
            return timelineText;
        },
        check: () => checkText,
    };
})();
