// The report page's live part: the module, compiled to WebAssembly and
// embedded above this script (AtmosphereModule), flies the climb again on
// every edit, and the page redraws the chart and the findings. Every setting
// is a field; every edit is listed and can be undone; Save writes the file
// as it was but for the edited values. Without WebAssembly, or without
// scripts, the page stays the static report it was written as.
"use strict";
(function () {
    const data = document.getElementById("atmosphere-file");
    const panel = document.getElementById("live");
    if (!data || !panel || typeof WebAssembly !== "object" || typeof AtmosphereModule !== "function") return;

    const original = atob(data.textContent.trim());  // one character per byte
    let module = null;
    let edits = [];  // {section, key, before, after}, in the order made
    let current = original;
    let timelineText = "";
    let checkText = "";
    let settings = null;
    let weather = data.dataset.weather || "CLOUDS";
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
        // The answer is fetched apart: a flight's function loses its return
        // value to the coroutine's switches (web/page_api.cpp).
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

    function edited() {
        let text = original;
        for (const edit of edits) {
            const answer = call("edit", text, edit.section, edit.key, edit.after);
            if (!answer.startsWith("error: ")) text = answer;
        }
        return text;
    }

    // Flies again and redraws what depends on the file: `text` when the
    // caller has it already, else the file with every edit replayed.
    function redraw(text) {
        current = text === undefined ? edited() : text;
        timelineText = call("timeline", current, weather, speed);
        const chart = call("chart");
        const place = document.getElementById("flight-chart");
        if (place) place.innerHTML = chart;
        checkText = call("check", current);
        settings = JSON.parse(call("settings", current));
        drawFindings();
        drawFields();
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

    const Units = { real: "", integer: "", "small-integer": "", flag: "1 on, 0 off", key: "key", text: "", cloud: "", weather: "" };

    function input(setting) {
        const apply = (value) => set(setting.section, setting.key, value);
        let field;
        const choose = (options) => {
            field = element("select");
            for (const [value, label] of options) field.append(element("option", { value, text: label }));
            if (![...field.options].some((option) => option.value === setting.value)) {
                field.prepend(element("option", { value: setting.value, text: setting.value + " (as written)" }));
            }
            field.value = setting.value;
        };
        switch (setting.kind) {
        case "flag": choose([["0", "0: off"], ["1", "1: on"]]); break;
        case "cloud": choose(settings.clouds.map((name) => [name, name])); break;
        case "weather": choose(settings.weathers.map((name) => [name, name])); break;
        case "key": {
            const code = "0x" + parseInt(setting.value, 16).toString(16).toUpperCase().padStart(2, "0");
            choose(settings.keys.map(([value, name]) => [value, value + ", " + name]));
            if ([...field.options].some((option) => option.value === code)) field.value = code;
            break;
        }
        case "real": {
            field = element("input", { type: "number", step: "any", value: setting.value });
            // Dragging sideways over the field changes the value by steps of
            // a hundredth of its size.
            field.addEventListener("pointerdown", (event) => {
                if (event.button !== 0 || event.target !== field || document.activeElement === field) return;
                const start = event.clientX, from = Number(field.value) || 0;
                const step = Math.max(Math.abs(from) / 100, 0.01);
                const move = (moved) => { field.value = String(Math.round((from + (moved.clientX - start) * step) * 1000) / 1000); };
                const stop = () => {
                    window.removeEventListener("pointermove", move);
                    window.removeEventListener("pointerup", stop);
                    if (field.value !== setting.value) apply(field.value);
                };
                window.addEventListener("pointermove", move);
                window.addEventListener("pointerup", stop);
            });
            break;
        }
        default: field = element("input", { type: setting.kind === "text" ? "text" : "number", value: setting.value });
        }
        field.dataset.section = setting.section;
        field.dataset.key = setting.key;
        field.addEventListener("change", () => apply(field.value));
        return field;
    }

    function drawFields() {
        const place = document.getElementById("live-fields");
        const open = new Set([...place.querySelectorAll("details[open]")].map((node) => node.dataset.section));
        const lines = findingsByLine();
        place.replaceChildren();
        let group = null;
        for (const setting of settings.settings) {
            if (!group || group.dataset.section !== setting.section) {
                group = element("details", { "data-section": setting.section }, element("summary", { text: "[" + setting.section + "]" }));
                if (open.has(setting.section)) group.open = true;
                place.append(group);
            }
            const notes = element("div", { class: "field-findings" });
            for (const finding of lines[setting.line] || []) notes.append(element("div", { class: finding.severity, text: finding.severity + ": " + finding.text }));
            if (notes.childElementCount > 0) group.classList.add("has-findings");
            group.append(element("div", { class: "field" },
                element("label", { text: setting.key, title: setting.line ? "line " + setting.line : "not in the file: the default" }),
                input(setting),
                element("span", { class: "what", text: [setting.role, Units[setting.kind], setting.line ? "" : "(default)"].filter(Boolean).join("; ") }),
                notes));
        }
    }

    function drawChanges() {
        const list = document.getElementById("live-changes");
        list.replaceChildren();
        edits.forEach((edit, index) => {
            const undo = element("button", { type: "button", text: "Undo" });
            undo.addEventListener("click", () => { edits.splice(index, 1); redraw(); });
            list.append(element("li", {}, `[${edit.section}] ${edit.key}: ${edit.before} → ${edit.after} `, undo));
        });
        document.getElementById("live-revert").disabled = edits.length === 0;
    }

    function valueOf(section, key) {
        const setting = settings.settings.find((s) => s.section.toUpperCase() === section.toUpperCase() && s.key.toUpperCase() === key.toUpperCase());
        return setting ? setting.value : "";
    }

    // One edit as its field makes it; a value the module would misread is refused.
    function set(section, key, value) {
        value = String(value);
        const answer = call("edit", current, section, key, value);
        const status = document.getElementById("live-status");
        if (answer.startsWith("error: ")) {
            status.textContent = `[${section}] ${key}: ${answer.slice(7)}`;
            drawFields();
            return Promise.reject(new Error(answer.slice(7)));
        }
        status.textContent = "";
        edits.push({ section, key, before: valueOf(section, key), after: value });
        redraw(answer);
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
        for (const name of ["EXTRASUNNY", "CLEAR", "CLOUDS", "SMOG", "FOGGY", "OVERCAST", "RAIN", "THUNDER", "CLEARING", "NEUTRAL", "SNOW", "BLIZZARD", "SNOWLIGHT", "XMAS", "HALLOWEEN"]) {
            picker.append(element("option", { value: name, text: name }));
        }
        picker.value = weather;
        picker.addEventListener("change", () => { weather = picker.value; redraw(current); });
        const saveButton = element("button", { type: "button", text: "Save" });
        saveButton.addEventListener("click", save);
        const revert = element("button", { type: "button", id: "live-revert", text: "Revert all" });
        revert.addEventListener("click", () => { edits = []; redraw(); });
        const tools = element("p", { class: "live-tools" }, "Climb in ", picker, " ", saveButton, " ", revert);
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
            element("p", { class: "note", text: "Every setting is a field: an edit flies the climb again with the module's own code and redraws the chart above and the findings. Save writes the file as it was, but for the edited values." }),
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
        build();
        redraw();
        return new Promise((resolve) => requestAnimationFrame(() => resolve()));
    });

    window.atmosphere = {
        ready,
        set,
        ini: () => current,
        timeline: () => timelineText,
        check: () => checkText,
    };
})();
