#!/usr/bin/python3
"""An outside caller of libQxOffice.so: lays the request record out from its
byte offsets (not from the C header), drives every spreadsheet operation and
reads the workbooks back with openpyxl.

Usage: qxoffice_ctypes_test.py path/to/libQxOffice.so [unittest options]
"""
import ctypes
import datetime
import os
import shutil
import stat
import sys
import tempfile
import time
import unittest

import openpyxl

LIBRARY_PATH = sys.argv.pop(1) if len(sys.argv) > 1 else "libQxOffice.so"


class CellFont(ctypes.Structure):
    _pack_ = 1
    _fields_ = [
        ("faceName", ctypes.c_char * 32),
        ("style", ctypes.c_uint32),
        ("size", ctypes.c_uint32),
        ("color", ctypes.c_int32),
    ]


class Request(ctypes.Structure):
    _pack_ = 1
    _fields_ = [
        ("handle", ctypes.c_uint16),
        ("operation", ctypes.c_int32),
        ("workbookPath", ctypes.c_char * 260),
        ("cellText", ctypes.c_char * 256),
        ("cellFont", CellFont),
        ("alignment", ctypes.c_int32),
        ("row", ctypes.c_int32),
        ("column", ctypes.c_int32),
        ("lastColumn", ctypes.c_int32),
        ("lastRow", ctypes.c_int32),
        ("sheetNumber", ctypes.c_int32),
        ("reserved1", ctypes.c_uint8 * 4),
        ("sheetFont", CellFont),
        ("reserved2", ctypes.c_uint8 * 4),
        ("borderEdges", ctypes.c_uint32),
        ("borderStyle", ctypes.c_int32),
        ("borderWeight", ctypes.c_int32),
        ("borderColor", ctypes.c_int32),
        ("reserved3", ctypes.c_uint8 * 4),
        ("widthStart", ctypes.c_int16 * 256),
        ("widthEnd", ctypes.c_int16 * 256),
        ("widthColumn", ctypes.c_int16 * 256),
        ("widthUsed", ctypes.c_uint8 * 256),
        ("reserved4", ctypes.c_uint8 * 6),
        ("handOver", ctypes.c_int32),
    ]


# The record's published byte offsets.
OFFSETS = {
    "handle": 0, "operation": 2, "workbookPath": 6, "cellText": 266, "cellFont": 522,
    "alignment": 566, "row": 570, "column": 574, "lastColumn": 578, "lastRow": 582,
    "sheetNumber": 586, "sheetFont": 594, "borderEdges": 642, "borderStyle": 646,
    "borderWeight": 650, "borderColor": 654, "widthStart": 662, "widthEnd": 1174,
    "widthColumn": 1686, "widthUsed": 2198, "handOver": 2460,
}

BOLD, ITALIC, UNDERLINE = 1, 2, 4
LEFT, RIGHT, CENTRE = 1, 2, 3
EDGE_LEFT, EDGE_TOP, EDGE_BOTTOM, EDGE_RIGHT = 0x20, 0x80, 0x10, 0x40
INSIDE_VERTICAL, INSIDE_HORIZONTAL, DIAGONAL_DOWN, DIAGONAL_UP = 0x02, 0x01, 0x04, 0x08

MessageHook = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint,
                               ctypes.c_uint)

library = ctypes.CDLL(LIBRARY_PATH)
library.QxExcelAutomation.argtypes = [ctypes.POINTER(Request)]
library.QxExcelAutomation.restype = ctypes.c_int
library.QxOfficeSetMessageHook.argtypes = [MessageHook, ctypes.c_void_p]
library.QxOfficeSetMessageHook.restype = None


def load(path):
    """Reads a workbook whatever its file name says (openpyxl judges by the extension)."""
    with open(path, "rb") as f:
        return openpyxl.load_workbook(f)


def font(face, style=0, size=100, color=0):
    f = CellFont()
    f.faceName = face.encode("cp437")
    f.style, f.size, f.color = style, size, color
    return f


class Workbook:
    """One connection: a request record and the calls made with it."""

    def __init__(self, path, sheet_font=None):
        self.request = Request()
        self.request.workbookPath = path.encode("cp437")
        self.request.sheetFont = sheet_font or font("Arial", 0, 100)
        self.opened = self.call(2)

    def call(self, operation, **fields):
        for name, value in fields.items():
            setattr(self.request, name, value)
        self.request.operation = operation
        return library.QxExcelAutomation(ctypes.byref(self.request))

    def write(self, row, column, text, operation=8, last_row=0, last_column=0, **fields):
        raw = text if isinstance(text, bytes) else text.encode("cp437")
        return self.call(operation, row=row, column=column, lastRow=last_row,
                         lastColumn=last_column, cellText=raw, **fields)


class MessageCatcher:
    """Collects the library's messages while installed."""

    def __init__(self):
        self.messages = []
        self._hook = MessageHook(self._receive)

    def _receive(self, _context, text, _style, _help):
        self.messages.append(text.decode("cp437"))
        return 1

    def __enter__(self):
        library.QxOfficeSetMessageHook(self._hook, None)
        return self

    def __exit__(self, *_):
        library.QxOfficeSetMessageHook(MessageHook(), None)


class RecordLayout(unittest.TestCase):
    def test_fields_lie_at_the_published_offsets(self):
        self.assertEqual(ctypes.sizeof(CellFont), 44)
        self.assertEqual(ctypes.sizeof(Request), 2464)
        for name, offset in OFFSETS.items():
            self.assertEqual(getattr(Request, name).offset, offset, name)


class ExportRoundTrip(unittest.TestCase):
    """Builds one workbook with every operation and reads it back."""

    TYPED = [  # (text, value read back, number format)
        ("'00123", "00123", "General"),
        ("=SUM(1,2)", "=SUM(1,2)", "General"),
        ("1,234.50", 1234.5, "#,##0.00"),
        ("$1,234.50", 1234.5, "$#,##0.00"),
        ("(1,234.50)", -1234.5, "#,##0.00_);(#,##0.00)"),
        ("($5)", -5, "$0_);($0)"),
        ("12.5%", 0.125, "0.0%"),
        ("-42", -42, "General"),
        ("3.10", 3.1, "0.00"),
        ("  7  ", 7, "General"),
        ("12/31/2009", datetime.datetime(2009, 12, 31), "m/d/yyyy"),
        ("1/2/09", datetime.datetime(2009, 1, 2), "m/d/yyyy"),
        ("12/31/09", "12/31/09", "General"),   # report dates stay text
        ("2/30/2009", "2/30/2009", "General"),  # no such day
        ("1,23", "1,23", "General"),
        ("$5%", "$5%", "General"),
        ("Caf\u00e9 \u2500", "Caf\u00e9 \u2500", "General"),  # from code page 437
        ("== Totals ==", "== Totals ==", "General"),  # not a formula
    ]

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.path = os.path.join(cls.folder.name, "export.xlsx")
        book = Workbook(cls.path, font("Arial", 0, 100))
        cls.results = results = {}
        results["probe"] = book.call(1)
        results["open"] = book.opened
        results["handle"] = book.request.handle
        results["count1"] = book.call(5)

        # Sheet1: a heading with its own font, typed values under the sheet font.
        results["heading"] = book.write(1, 1, "Customer", operation=7, alignment=CENTRE,
                                        cellFont=font("Courier New", BOLD | ITALIC | UNDERLINE,
                                                      140, 0x0000FF))
        results["format only"] = book.write(1, 3, "", operation=9, alignment=RIGHT,
                                            cellFont=font("Arial", BOLD, 120, 0x00FF00))
        book.request.alignment = 0
        for i, (text, _, _) in enumerate(cls.TYPED):
            results["typed %d" % i] = book.write(20 + i, 1, text)
        results["range"] = book.write(5, 1, "x", last_row=6, last_column=2)
        results["reversed"] = book.write(3, 8, "y", last_row=1, last_column=11)  # H3 to K1
        results["freeze"] = book.call(10, row=3)
        entries = [(1, 0, 19), (2, 3, 2), (3, 5, 14)]  # column, start, end
        for i, (column, start, end) in enumerate(entries):
            book.request.widthColumn[i], book.request.widthStart[i], book.request.widthEnd[i] = \
                column, start, end
            book.request.widthUsed[i] = 1
        results["widths"] = book.call(12)
        book.request.widthUsed[0] = 0

        # The 3x3 border fixture E10:G12: a red medium outline, dashed inside
        # horizontal lines, a dotted diagonal in the middle cell.
        results["outline"] = book.call(13, row=10, column=5, lastRow=12, lastColumn=7,
                                       borderEdges=EDGE_LEFT | EDGE_TOP | EDGE_BOTTOM | EDGE_RIGHT,
                                       borderStyle=1, borderWeight=2, borderColor=0x0000FF)
        results["inside"] = book.call(13, borderEdges=INSIDE_HORIZONTAL, borderStyle=2,
                                      borderWeight=4, borderColor=0)
        results["diagonal"] = book.call(13, row=11, column=6, lastRow=0, lastColumn=0,
                                        borderEdges=DIAGONAL_DOWN, borderStyle=5, borderWeight=4)

        # Sheet2 and Sheet3; Sheet2 ends up active with its panes unfrozen.
        results["add2"] = book.call(4)
        results["count2"] = book.call(5)
        results["second"] = book.write(1, 1, "second")
        results["freeze2"] = book.call(10, row=2)
        results["unfreeze2"] = book.call(11)
        results["add3"] = book.call(4, sheetFont=font("Times New Roman", ITALIC, 90))
        results["third"] = book.write(1, 1, "third")
        results["count3"] = book.call(5)
        results["select2"] = book.call(6, sheetNumber=2)
        results["select4"] = book.call(6, sheetNumber=4)
        results["close"] = book.call(3, handOver=0)
        results["handle after close"] = book.request.handle
        results["close again"] = book.call(3)
        cls.workbook = load(cls.path)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_every_operation_reports_success(self):
        r = self.results
        self.assertEqual(r["probe"], 0)
        self.assertEqual(r["open"], 0)
        self.assertNotEqual(r["handle"], 0)
        expected_one = ["heading", "format only", "range", "reversed", "freeze", "widths",
                        "outline", "inside", "diagonal", "add2", "second", "freeze2",
                        "unfreeze2", "add3", "third", "select2", "close"]
        expected_one += ["typed %d" % i for i in range(len(self.TYPED))]
        for name in expected_one:
            self.assertEqual(r[name], 1, name)
        self.assertEqual((r["count1"], r["count2"], r["count3"]), (1, 2, 3))
        self.assertEqual(r["select4"], 0)
        self.assertEqual(r["handle after close"], 0)
        self.assertEqual(r["close again"], 0)

    def test_sheets_in_order_and_the_selected_one_active(self):
        self.assertEqual(self.workbook.sheetnames, ["Sheet1", "Sheet2", "Sheet3"])
        self.assertEqual(self.workbook.active.title, "Sheet2")

    def test_typed_text_becomes_values_of_their_type_and_format(self):
        sheet = self.workbook["Sheet1"]
        for i, (text, value, number_format) in enumerate(self.TYPED):
            cell = sheet.cell(row=20 + i, column=1)
            with self.subTest(text=text):
                self.assertEqual(cell.value, value)
                self.assertIs(type(cell.value) is str, isinstance(value, str))
                self.assertEqual(cell.number_format, number_format)
        self.assertEqual(sheet.cell(row=21, column=1).data_type, "f")

    def test_heading_font_colour_and_alignment(self):
        cell = self.workbook["Sheet1"]["A1"]
        self.assertEqual(cell.value, "Customer")
        self.assertEqual(cell.font.name, "Courier New")
        self.assertEqual(cell.font.sz, 14)
        self.assertTrue(cell.font.b)
        self.assertTrue(cell.font.i)
        self.assertEqual(cell.font.u, "single")
        self.assertEqual(cell.font.color.rgb, "FFFF0000")  # 0x0000FF is red
        self.assertEqual(cell.alignment.horizontal, "center")

    def test_format_only_leaves_the_cell_empty(self):
        cell = self.workbook["Sheet1"]["C1"]
        self.assertIsNone(cell.value)
        self.assertEqual(cell.font.color.rgb, "FF00FF00")
        self.assertEqual(cell.font.sz, 12)
        self.assertTrue(cell.font.b)
        self.assertEqual(cell.alignment.horizontal, "right")

    def test_sheet_font_applies_to_cells_written_without_a_font(self):
        for sheet, name, size, italic in (("Sheet1", "Arial", 10, False),
                                          ("Sheet2", "Arial", 10, False),
                                          ("Sheet3", "Times New Roman", 9, True)):
            cell = self.workbook[sheet]["A1" if sheet != "Sheet1" else "A20"]
            with self.subTest(sheet=sheet):
                self.assertEqual(cell.font.name, name)
                self.assertEqual(cell.font.sz, size)
                self.assertEqual(bool(cell.font.i), italic)

    def test_ranges_fill_every_cell_whatever_the_corner_order(self):
        sheet = self.workbook["Sheet1"]
        for ref in ("A5", "A6", "B5", "B6"):
            self.assertEqual(sheet[ref].value, "x", ref)
        for row in (1, 2, 3):  # H3 to K1
            for column in "HIJK":
                self.assertEqual(sheet["%s%d" % (column, row)].value, "y", (column, row))
        self.assertIsNone(sheet["L1"].value)
        self.assertIsNone(sheet["H4"].value)

    def test_column_widths(self):
        widths = self.workbook["Sheet1"].column_dimensions
        # The file stores characters plus the cell padding.
        for column, characters in (("A", 20), ("B", 1), ("C", 10)):
            self.assertGreaterEqual(widths[column].width, characters, column)
            self.assertLess(widths[column].width, characters + 1, column)

    def test_frozen_panes(self):
        self.assertEqual(self.workbook["Sheet1"].freeze_panes, "A3")
        self.assertIsNone(self.workbook["Sheet2"].freeze_panes)

    def test_borders_of_the_3x3_fixture(self):
        sheet = self.workbook["Sheet1"]
        for r in range(3):
            for c in range(3):
                border = sheet.cell(row=10 + r, column=5 + c).border
                expected = {
                    "left": "medium" if c == 0 else None,
                    "right": "medium" if c == 2 else None,
                    "top": "medium" if r == 0 else "dashed",
                    "bottom": "medium" if r == 2 else "dashed",
                }
                with self.subTest(row=r, column=c):
                    for side, style in expected.items():
                        self.assertEqual(getattr(border, side).style, style, side)
                    if c == 0:
                        self.assertEqual(border.left.color.rgb, "FFFF0000")
                    middle = (r, c) == (1, 1)
                    self.assertEqual(border.diagonal.style, "dotted" if middle else None)
                    self.assertEqual(bool(border.diagonalDown), middle)
        self.assertIsNone(sheet["D10"].border.right.style)  # outside the range: untouched


class TextFieldBounds(unittest.TestCase):
    """Fields filled to the last byte, without a NUL, are read whole and no further."""

    def test_full_fields_without_nul(self):
        with tempfile.TemporaryDirectory() as folder:
            sub = os.path.join(folder, "s" * 100)
            os.mkdir(sub)
            name_length = 260 - len(sub) - 1 - len(".xlsx")
            self.assertGreater(name_length, 0)
            path = os.path.join(sub, "f" * name_length + ".xlsx")
            self.assertEqual(len(path), 260)
            book = Workbook(path)
            self.assertEqual(book.opened, 0)
            text = b"T" * 255 + b"z"
            face = b"F" * 32
            self.assertEqual(book.write(1, 1, text, operation=7, cellFont=font("x", 0, 110)), 1)
            book.request.cellFont.faceName = face  # style bits follow right after
            book.request.cellFont.style = BOLD
            self.assertEqual(book.write(2, 1, text, operation=7), 1)
            self.assertEqual(book.call(3, handOver=0), 1)
            sheet = load(path)["Sheet1"]
            self.assertEqual(sheet["A1"].value, "T" * 255 + "z")
            self.assertEqual(sheet["A2"].font.name, "F" * 32)


class FilesAndMessages(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def test_an_existing_file_is_replaced_whole_and_keeps_its_permissions(self):
        path = os.path.join(self.folder.name, "report.dat")  # any extension
        with open(path, "w") as f:
            f.write("old contents")
        os.chmod(path, 0o640)
        book = Workbook(path)
        self.assertEqual(book.opened, 0)
        self.assertEqual(book.write(1, 1, "new"), 1)
        self.assertEqual(book.call(3, handOver=0), 1)
        self.assertEqual(load(path)["Sheet1"]["A1"].value, "new")
        self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o640)
        self.assertEqual(os.listdir(self.folder.name), ["report.dat"])  # no temporary left

    def test_a_refused_step_is_told_through_the_hook(self):
        book = Workbook(os.path.join(self.folder.name, "m.xlsx"))
        with MessageCatcher() as catcher:
            result = book.write(1, 1, "a", operation=7, cellFont=font("Arial", 0, 0))
            border = book.call(13, borderEdges=EDGE_LEFT, borderStyle=9, borderWeight=1)
        book.call(3, handOver=0)
        self.assertEqual(result, 0)
        self.assertEqual(border, 0)
        self.assertEqual(catcher.messages, [
            "Spreadsheet - Font size 0 is out of range: sizes run from 1 to 409 points.",
            "Spreadsheet - Line style 6 is not a border line style.",
        ])
        # The value written before the font failed stays.
        self.assertEqual(load(book.request.workbookPath.decode())["Sheet1"]["A1"].value, "a")


class HandOver(unittest.TestCase):
    """The desktop's opener is started on the saved file when a display exists."""

    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.marker = os.path.join(self.folder, "opened")
        opener = os.path.join(self.folder, "xdg-open")
        with open(opener, "w") as f:
            f.write('#!/bin/sh\nprintf "%%s" "$1" > "%s.tmp" && mv "%s.tmp" "%s"\n'
                    % (self.marker, self.marker, self.marker))
        os.chmod(opener, 0o755)
        self.saved = {k: os.environ.get(k) for k in ("PATH", "DISPLAY", "WAYLAND_DISPLAY")}
        os.environ["PATH"] = self.folder + os.pathsep + os.environ.get("PATH", "")
        os.environ.pop("WAYLAND_DISPLAY", None)

    def tearDown(self):
        for key, value in self.saved.items():
            if value is None:
                os.environ.pop(key, None)
            else:
                os.environ[key] = value
        shutil.rmtree(self.folder, ignore_errors=True)

    def hand_over(self):
        path = os.path.join(self.folder, "book.xlsx")
        book = Workbook(path)
        self.assertEqual(book.call(3, handOver=1), 1)
        self.assertTrue(os.path.exists(path))
        return path

    def test_opens_the_saved_file_with_a_display(self):
        os.environ["DISPLAY"] = ":99"
        path = self.hand_over()
        deadline = time.time() + 10
        while not os.path.exists(self.marker) and time.time() < deadline:
            time.sleep(0.05)
        with open(self.marker) as f:
            self.assertEqual(f.read(), path)

    def test_skips_the_opener_without_a_display(self):
        os.environ.pop("DISPLAY", None)
        self.hand_over()
        time.sleep(0.3)
        self.assertFalse(os.path.exists(self.marker))


if __name__ == "__main__":
    unittest.main()
