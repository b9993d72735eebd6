# vlxflash against the simulated command stations, run by ctest: flasher_test.py VLXFLASH SIMCTL
import json
import os
import subprocess
import sys
import tempfile
import unittest

VLXFLASH, SIMCTL = sys.argv[1], sys.argv[2]
WORK = tempfile.mkdtemp(prefix="vlxflash-")
FIRMWARE_CODE = "0x00222020"


def wine(exe, *args):  # into a file: Wine may keep a pipe open
    out_path = os.path.join(WORK, "out.txt")
    with open(out_path, "wb") as out:
        code = subprocess.run(["wine", exe, *args], stdout=out, stderr=subprocess.STDOUT,
                              stdin=subprocess.DEVNULL, timeout=300).returncode
    with open(out_path, "rb") as out:
        return code, out.read().decode("utf-8")


def sim(*args):
    code, text = wine(SIMCTL, *args)
    assert code == 0, text
    return text


def text_file(name, text):
    path = os.path.join(WORK, name)
    with open(path, "w", newline="") as f:
        f.write(text)
    return "Z:" + path.replace("/", "\\")


SMALL = text_file("small.hex", ":02700000010885\r\n:03000000020B33BD\r\n:00000001FF")  # 1.08; 02 0B 33
BROKEN = text_file("broken.hex", ":0100000001FF\r\n:00000001FF")  # the checksum should be FE
# The payloads of the example: both parts, the page ends, the part's end and the reset.
EXAMPLE = ["10 00 00 00", "10 00 00 01", "01 00 70 01 08", "02 00 00 00", "04 00 00 00",
           "10 00 00 03", "01 00 00 02 0B 33", "02 00 00 00", "08 00 00 00"]


def stations(*specs):
    sim("reset")
    for n, version, mode in specs:
        sim("vlx", "add", str(n), "--version", version, "--mode", mode)


def firmware_payloads(n):
    return [line[len(FIRMWARE_CODE):].strip() for line in sim("vlx", "log", str(n)).splitlines()
            if line.startswith(FIRMWARE_CODE)]


class Flasher(unittest.TestCase):
    def test_exit_codes(self):
        rows = [  # installed version, mode, failing request (0: none), arguments, code, text
            ("1.05", "normal", 0, ["frobnicate"], 1, "Unbekannter Befehl"),
            ("1.05", "normal", 0, ["update", "256"], 1, "Ungültige Gerätenummer"),
            ("1.05", "normal", 0, ["update", "1", "--flash"], 1, "Unbekannte Option"),
            ("1.05", "normal", 0, ["update", "7", "--file", SMALL], 2, "Keine Zentrale"),
            ("1.05", "normal", 0, ["update", "1", "--file", SMALL + "x"], 3, "Fehler beim Öffnen der Datei"),
            ("1.05", "normal", 0, ["update", "1", "--file", BROKEN], 3, "Ungültige Prüfsumme."),
            ("1.05", "normal", 5, ["update", "1", "--file", SMALL], 4,
             "Fehler bei Anfrage 5: Fehler beim Zugriff auf den Vlx-Usb-Treiber."),
            ("1.08", "normal", 0, ["update", "1", "--file", SMALL], 5, "Die Version 1.08 ist bereits"),
            ("2.00", "normal", 0, ["update", "1", "--file", SMALL], 5, "neuere Version 2.00"),
            ("2.00", "normal", 0, ["update", "1", "--file", SMALL, "--force"], 0, "Fertig."),
            ("2.00", "emergency", 0, ["update", "1", "--file", SMALL], 0, "Fertig."),
            ("1.05", "normal", 0, ["update", "1", "--file", SMALL, "--test"], 0, "Testabbruch!"),
            ("1.05", "normal", 0, ["update", "1", "--file", SMALL], 0,
             "Zentrale 1: [ 11 %] Schreibe neue Firmware für den Notbetrieb."),
            ("1.05", "normal", 0, ["update", "1", "--file", SMALL], 0,
             "Zentrale 1: [100 %] Firmwareupdate erfolgreich abgeschlossen.\nZentrale 1: Fertig."),
            ("1.05", "normal", 0, ["--help"], 0, "5  von der Versionsregel abgelehnt"),
        ]
        for version, mode, failing, args, expected, fragment in rows:
            with self.subTest(args=args, version=version, mode=mode):
                stations((1, version, mode))
                if failing:
                    sim("vlx", "fail", "1", "firmware", "--after", str(failing - 1))
                code, text = wine(VLXFLASH, *args)
                self.assertEqual(code, expected, text)
                self.assertIn(fragment, text)

    def test_update_all_goes_on_past_a_failing_station_and_reports_json(self):
        stations((1, "1.05", "normal"), (2, "1.05", "normal"), (3, "1.05", "emergency"))
        code, text = wine(VLXFLASH, "list", "--json")
        self.assertEqual(code, 0, text)
        listed = [json.loads(line) for line in text.splitlines()]
        self.assertEqual([(s["station"], s["version"], s["mode"]) for s in listed],
                         [(1, "1.05", "Normalbetrieb"), (2, "1.05", "Normalbetrieb"), (3, "1.05", "Notbetrieb")])

        sim("vlx", "fail", "2", "firmware", "--after", "3")
        code, text = wine(VLXFLASH, "update", "all", "--file", SMALL, "--json")
        events = [json.loads(line) for line in text.splitlines()]
        self.assertEqual(code, 4, text)
        results = {e["station"]: (e["code"], e.get("request")) for e in events if e["event"] == "result"}
        self.assertEqual(results, {1: (0, None), 2: (4, 4), 3: (0, None)})
        self.assertEqual([(e["stations"], e["failed"], e["code"]) for e in events if e["event"] == "summary"],
                         [(3, 1, 4)])
        self.assertEqual([e["text"] for e in events if e["event"] == "status" and e["station"] == 1][1],
                         "Schreibe neue Firmware für den Notbetrieb.")
        self.assertEqual(firmware_payloads(1), EXAMPLE)
        self.assertEqual(firmware_payloads(2), EXAMPLE[:4])
        self.assertEqual(firmware_payloads(3), ["10 00 00 00"] + EXAMPLE[5:])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
