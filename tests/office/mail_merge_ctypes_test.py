#!/usr/bin/python3
"""An outside caller of libQxOffice.so's mail merge: lays the request record
out from its byte offsets (not from the C header), writes its main documents
and data sources itself, and checks what the merges make with readers of its
own: the merged .docx with zipfile and ElementTree, the e-mail with the email
package, the printed PDF with pdftotext.

Usage: mail_merge_ctypes_test.py path/to/libQxOffice.so [unittest options]
"""
import ctypes
import datetime
import email
import email.policy
import io
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile

LIBRARY_PATH = sys.argv.pop(1) if len(sys.argv) > 1 else "libQxOffice.so"

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PR = "http://schemas.openxmlformats.org/package/2006/relationships"
w = lambda name: "{%s}%s" % (W, name)


class MailRecord(ctypes.Structure):
    _pack_ = 1
    _fields_ = [
        ("subject", ctypes.c_char * 256),
        ("addressFieldName", ctypes.c_char * 65),
        ("attach", ctypes.c_int32),
    ]


class Request(ctypes.Structure):
    _pack_ = 1
    _fields_ = [
        ("suppressBlankLines", ctypes.c_int32),
        ("mainDocumentPath", ctypes.c_char * 260),
        ("dataSourcePath", ctypes.c_char * 260),
        ("dataSourceName", ctypes.c_char * 260),
        ("operation", ctypes.c_int32),
        ("mailRecord", ctypes.POINTER(MailRecord)),
    ]


OFFSETS = {"suppressBlankLines": 0, "mainDocumentPath": 4, "dataSourcePath": 264,
           "dataSourceName": 524, "operation": 784, "mailRecord": 788}

MB_YESNO = 0x4
IDOK, IDYES, IDNO = 1, 6, 7
MessageHook = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint,
                               ctypes.c_uint)

library = ctypes.CDLL(LIBRARY_PATH)
library.QxMailMergeAutomation.argtypes = [ctypes.POINTER(Request)]
library.QxMailMergeAutomation.restype = ctypes.c_int
library.QxOfficeSetMessageHook.argtypes = [MessageHook, ctypes.c_void_p]

# ---- the main document, written here from the file format ---------------------

CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/word/document.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
    '<Override PartName="/word/settings.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>'
    '</Types>')
PACKAGE_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Relationships xmlns="%s"><Relationship Id="rId1" '
    'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
    'Target="word/document.xml"/></Relationships>' % PR)
DOCUMENT_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Relationships xmlns="%s"><Relationship Id="rId1" '
    'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" '
    'Target="settings.xml"/></Relationships>' % PR)


def simple_field(instruction, shown, bold=False):
    props = "<w:rPr><w:b/></w:rPr>" if bold else ""
    return ('<w:fldSimple w:instr="%s"><w:r>%s<w:t>%s</w:t></w:r></w:fldSimple>'
            % (instruction.replace('"', "&quot;"), props, shown))


def complex_field(instruction_parts, shown):
    runs = '<w:r><w:fldChar w:fldCharType="begin"/></w:r>'
    for part in instruction_parts:
        runs += '<w:r><w:instrText xml:space="preserve">%s</w:instrText></w:r>' % part
    runs += '<w:r><w:fldChar w:fldCharType="separate"/></w:r>'
    runs += '<w:r><w:rPr><w:i/></w:rPr><w:t>%s</w:t></w:r>' % shown
    runs += '<w:r><w:fldChar w:fldCharType="end"/></w:r>'
    return runs


def text_run(text):
    return '<w:r><w:t xml:space="preserve">%s</w:t></w:r>' % text


LETTER_BODY = (
    # "Dear «First» «LAST»,": a simple field in bold and a complex field whose
    # instruction is split over two runs, with an upper-case switch.
    '<w:p>' + text_run("Dear ") + simple_field(" MERGEFIELD First ", "\u00abFirst\u00bb", bold=True)
    + text_run(" ") + complex_field([" MERGEFIELD ", "LAST \\* Upper "], "\u00abLast\u00bb")
    + text_run(",") + '</w:p>'
    # A line of its own for the company: blank for a record without one.
    + '<w:p>' + simple_field(' MERGEFIELD  "Company" ', "\u00abCompany\u00bb") + '</w:p>'
    + '<w:p>' + complex_field([" MERGEFIELD street "], "\u00abStreet\u00bb") + '</w:p>'
    + '<w:p>' + text_run("Thank you for your business.") + '</w:p>'
    + '<w:p/>'  # a blank line the letter wants: never suppressed
    + '<w:p>' + text_run("Regards") + '</w:p>'
)
SECTION = ('<w:sectPr><w:pgSz w:w="12240" w:h="15840"/>'
           '<w:pgMar w:top="1440" w:right="1440" w:bottom="1440" w:left="1440"/></w:sectPr>')


def write_docx(path, body, data_source=None, main_document=True):
    """A .docx with `body`; a main document with `data_source` as its data
    source when given, without one when main_document and no data source,
    and with no merge settings at all when not main_document."""
    settings = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
                '<w:settings xmlns:w="%s" xmlns:r="%s">' % (W, R))
    settings_rels = None
    if main_document:
        settings += '<w:mailMerge><w:mainDocumentType w:val="formLetters"/>'
        if data_source:
            settings += ('<w:linkToQuery/><w:dataType w:val="textFile"/><w:connectString w:val=""/>'
                         '<w:query w:val="SELECT * FROM %s"/><w:dataSource r:id="rId1"/>' % data_source)
            settings_rels = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
                             '<Relationships xmlns="%s"><Relationship Id="rId1" '
                             'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
                             'mailMergeSource" Target="file:///%s" TargetMode="External"/>'
                             '</Relationships>' % (PR, data_source.lstrip("/")))
        settings += '</w:mailMerge>'
    settings += '<w:defaultTabStop w:val="720"/></w:settings>'
    document = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
                '<w:document xmlns:w="%s" xmlns:r="%s"><w:body>%s%s</w:body></w:document>'
                % (W, R, body, SECTION))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", PACKAGE_RELS)
        z.writestr("word/document.xml", document)
        z.writestr("word/_rels/document.xml.rels", DOCUMENT_RELS)
        z.writestr("word/settings.xml", settings)
        if settings_rels:
            z.writestr("word/_rels/settings.xml.rels", settings_rels)


# Comma-separated, with a byte-order mark, CR LF line ends, quoted fields
# holding a comma, a doubled quote and a line break, and letters beyond ASCII.
CUSTOMERS = (
    "\ufeffFirst,Last,Company,Street,Email\r\n"
    "Ann,Smith,,\"12 Main St\nSuite 4\",ann@example.com\r\n"
    "\"Bob, Jr.\",Jones,\"Acme \"\"Tools\"\"\",1 Elm Rd,\"Bob Jones <bob@example.com>\"\r\n"
    "Zo\u00eb,\u00c6r\u00f8,Caf\u00e9 (Paris),3 Rue \\ Haute,\r\n"
    "Dan,Lee,Lee & Co,9 Oak Ave,\"dan@example.com\r\nBcc: eve@example.com\"\r\n"
)


def paragraph_text(p):
    out = ""
    for node in p.iter():
        if node.tag == w("t"):
            out += node.text or ""
        elif node.tag == w("br"):
            out += "\n"
        elif node.tag == w("tab"):
            out += "\t"
    return out


def sections_of(docx_bytes):
    """The body's paragraphs, grouped by section, as texts; and the bold
    texts of each section."""
    with zipfile.ZipFile(io.BytesIO(docx_bytes)) as z:
        root = ET.fromstring(z.read("word/document.xml"))
        settings = z.read("word/settings.xml").decode("utf-8")
    body = root.find(w("body"))
    sections, current, bold, current_bold = [], [], [], []
    for child in body:
        if child.tag == w("sectPr"):
            continue
        assert child.tag == w("p"), child.tag
        current.append(paragraph_text(child))
        for run in child.iter(w("r")):
            props = run.find(w("rPr"))
            if props is not None and props.find(w("b")) is not None:
                current_bold.append("".join(t.text or "" for t in run.iter(w("t"))))
        props = child.find(w("pPr"))
        if props is not None and props.find(w("sectPr")) is not None:
            sections.append(current)
            bold.append(current_bold)
            current, current_bold = [], []
    sections.append(current)
    bold.append(current_bold)
    assert body[-1].tag == w("sectPr")
    return sections, bold, root, settings


class MailMergeTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="qxmerge-")
        self.messages = []
        self.answer = IDYES
        self.hook = MessageHook(self._on_message)
        library.QxOfficeSetMessageHook(self.hook, None)
        self.saved_environment = dict(os.environ)
        for name in ("QXOFFICE_SENDMAIL", "QXOFFICE_LP", "QXOFFICE_PRINTER", "QXOFFICE_MAIL_FROM"):
            os.environ.pop(name, None)
        os.environ["QXOFFICE_OUTBOX"] = self.path("outbox")
        os.environ.pop("DISPLAY", None)
        os.environ.pop("WAYLAND_DISPLAY", None)
        with open(self.path("cust.txt"), "w", encoding="utf-8", newline="") as f:
            f.write(CUSTOMERS)
        self.main = self.path("letter.docx")
        write_docx(self.main, LETTER_BODY, data_source=self.path("cust.txt"))
        with open(self.main, "rb") as f:
            self.main_bytes = f.read()

    def tearDown(self):
        library.QxOfficeSetMessageHook(MessageHook(), None)
        os.environ.clear()
        os.environ.update(self.saved_environment)
        shutil.rmtree(self.folder)

    def _on_message(self, context, text, style, help_context):
        self.messages.append(text.decode("cp437"))
        return self.answer if style & MB_YESNO else IDOK

    def path(self, name):
        return os.path.join(self.folder, name)

    def request(self, operation, suppress=1, mail=None):
        request = Request()
        request.suppressBlankLines = suppress
        request.mainDocumentPath = self.main.encode()
        request.dataSourcePath = self.path("cust.txt").encode()
        request.operation = operation
        if mail is not None:
            request.mailRecord = ctypes.pointer(mail)
        return request

    def run_request(self, request):
        return library.QxMailMergeAutomation(ctypes.byref(request))

    def assert_main_document_unchanged(self):
        with open(self.main, "rb") as f:
            self.assertEqual(f.read(), self.main_bytes)

    def fake_program(self, name, exit_code=0, error=""):
        """A stand-in for lp or sendmail that keeps its arguments and input."""
        script = self.path(name)
        record = self.path(name + "-calls")
        os.makedirs(record, exist_ok=True)
        with open(script, "w") as f:
            f.write("#!/usr/bin/python3\n"
                    "import os, sys\n"
                    "folder = %r\n"
                    "n = len(os.listdir(folder)) // 2 + 1\n"
                    "open(os.path.join(folder, '%%03d.args' %% n), 'w').write('\\n'.join(sys.argv[1:]))\n"
                    "open(os.path.join(folder, '%%03d.input' %% n), 'wb').write(sys.stdin.buffer.read())\n"
                    "sys.stderr.write(%r)\n"
                    "sys.exit(%d)\n" % (record, error, exit_code))
        os.chmod(script, os.stat(script).st_mode | stat.S_IXUSR)
        return script, record

    @staticmethod
    def calls(record):
        names = sorted(n[:-5] for n in os.listdir(record) if n.endswith(".args"))
        out = []
        for n in names:
            with open(os.path.join(record, n + ".args")) as f:
                args = f.read().split("\n")
            with open(os.path.join(record, n + ".input"), "rb") as f:
                out.append((args, f.read()))
        return out

    # ---- the record and the layout -------------------------------------------

    def test_record_layout_matches_the_published_offsets(self):
        for name, offset in OFFSETS.items():
            self.assertEqual(getattr(Request, name).offset, offset, name)
        self.assertEqual(ctypes.sizeof(MailRecord), 325)
        self.assertEqual(MailRecord.attach.offset, 321)

    # ---- a new main document --------------------------------------------------

    def test_new_main_document_carries_the_sample_text_and_the_data_source(self):
        self.main = self.path("new main.docx")
        # time() reads the coarse clock, which may lag a tick behind now().
        before = datetime.datetime.now().replace(microsecond=0) - datetime.timedelta(seconds=1)
        self.assertEqual(self.run_request(self.request(3)), 0)
        after = datetime.datetime.now()
        self.assertEqual(self.messages, [])
        with zipfile.ZipFile(self.main) as z:
            root = ET.fromstring(z.read("word/document.xml"))
            settings = ET.fromstring(z.read("word/settings.xml"))
            relations = ET.fromstring(z.read("word/_rels/settings.xml.rels"))
        paragraphs = root.find(w("body")).findall(w("p"))
        texts = [paragraph_text(p) for p in paragraphs]
        first = re.fullmatch(
            r"This mail merge main document was created by Quarlex on "
            r"(Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday), "
            r"(January|February|March|April|May|June|July|August|September|October|November|December) "
            r"(\d\d), (\d{4}) at (1[0-2]|[1-9]):[0-5]\d:[0-5]\d (am|pm)\. "
            r"Please, replace this sample text with your own text and graphics\.", texts[0])
        self.assertIsNotNone(first, texts[0])
        # The date and time written are the moment of the call.
        written = datetime.datetime.strptime(
            "%s %s %s %s" % (first.group(3), first.group(2), first.group(4),
                             re.search(r" at (\S+ [ap]m)\.", texts[0]).group(1).upper()),
            "%d %B %Y %I:%M:%S %p")
        self.assertTrue(before <= written <= after, (before, written, after))
        self.assertEqual(first.group(1), written.strftime("%A"))
        self.assertEqual(texts[1:], [
            "",
            "To edit the main document, type the text you want to appear on the document and use the "
            "Merge fields as placeholders for your data. Examples of these placeholders would include "
            "name, address and phone number. To insert Merge fields, click the Insert Merge Field button "
            "and select a field from the list. For more information on the Mail Merge feature, refer to "
            "the word processor's documentation.",
            "",
            "To include your Quarlex data in the merged document, you must process the Mail Merge "
            "operation from Quarlex.",
            "", ""])

        def styled(tag):
            return ["".join(t.text for t in r.iter(w("t")))
                    for r in root.iter(w("r"))
                    if r.find(w("rPr")) is not None and r.find(w("rPr")).find(w(tag)) is not None]
        self.assertEqual(styled("i"), ["mail merge main document"])
        self.assertEqual(styled("b"), ["Insert Merge Field"])

        merge = settings.find(w("mailMerge"))
        self.assertEqual(merge.find(w("mainDocumentType")).get(w("val")), "formLetters")
        self.assertEqual(merge.find(w("destination")).get(w("val")), "newDocument")
        source_id = merge.find(w("dataSource")).get("{%s}id" % R)
        target = [r for r in relations if r.get("Id") == source_id][0]
        self.assertEqual(target.get("TargetMode"), "External")
        self.assertEqual(target.get("Target"), "file://" + self.path("cust.txt"))
        # The settings keep the order of their schema: the merge settings
        # come before the default tab stop.
        self.assertLess(list(settings).index(merge), list(settings).index(settings.find(w("defaultTabStop"))))

        # Operation 7 finds the data source the new document was made for.
        request = self.request(7)
        self.assertEqual(self.run_request(request), 0)
        self.assertEqual(request.dataSourceName.decode(), self.path("cust.txt"))

    # ---- merge to a new document ----------------------------------------------

    def merged_documents(self):
        return sorted(n for n in os.listdir(self.folder) if n.startswith("letter-merged"))

    def test_merge_to_a_new_document_fills_one_section_per_record(self):
        self.assertEqual(self.run_request(self.request(5, suppress=1)), 0)
        self.assertEqual(self.messages, [])
        self.assert_main_document_unchanged()
        self.assertEqual(self.merged_documents(), ["letter-merged.docx"])
        with open(self.path("letter-merged.docx"), "rb") as f:
            sections, bold, root, settings = sections_of(f.read())
        self.assertEqual(sections, [
            ["Dear Ann SMITH,", "12 Main St\nSuite 4", "Thank you for your business.", "", "Regards"],
            ["Dear Bob, Jr. JONES,", 'Acme "Tools"', "1 Elm Rd", "Thank you for your business.", "",
             "Regards"],
            ["Dear Zo\u00eb \u00c6R\u00d8,", "Caf\u00e9 (Paris)", "3 Rue \\ Haute",
             "Thank you for your business.", "", "Regards"],
            ["Dear Dan LEE,", "Lee & Co", "9 Oak Ave", "Thank you for your business.", "", "Regards"],
        ])
        # The simple field's formatting is the value's.
        self.assertEqual([b for b in bold], [["Ann"], ["Bob, Jr."], ["Zo\u00eb"], ["Dan"]])
        # No field is left, and the merged document is no main document.
        xml = ET.tostring(root).decode()
        self.assertNotIn("MERGEFIELD", xml)
        self.assertNotIn("fldChar", xml)
        self.assertNotIn("mailMerge", settings)
        # Every record starts on a new page.
        for sect in root.iter(w("sectPr")):
            kind = sect.find(w("type"))
            self.assertTrue(kind is None or kind.get(w("val")) in ("nextPage", "evenPage", "oddPage"))

    def test_without_suppression_the_blank_company_line_stays_and_names_never_collide(self):
        self.assertEqual(self.run_request(self.request(5, suppress=0)), 0)
        self.assertEqual(self.run_request(self.request(5, suppress=1)), 0)
        self.assertEqual(self.merged_documents(), ["letter-merged-2.docx", "letter-merged.docx"])
        with open(self.path("letter-merged.docx"), "rb") as f:
            sections, _, _, _ = sections_of(f.read())
        self.assertEqual(sections[0], ["Dear Ann SMITH,", "", "12 Main St\nSuite 4",
                                       "Thank you for your business.", "", "Regards"])
        with open(self.path("letter-merged-2.docx"), "rb") as f:
            sections, _, _, _ = sections_of(f.read())
        self.assertEqual(len(sections[0]), 5)
        self.assert_main_document_unchanged()

    def test_a_plain_document_with_fields_merges_with_the_request_data_source(self):
        self.main = self.path("plain.docx")
        write_docx(self.main, LETTER_BODY, main_document=False)
        with open(self.main, "rb") as f:
            self.main_bytes = f.read()
        self.answer = IDNO  # no question may be asked
        self.assertEqual(self.run_request(self.request(5)), 0)
        self.assertEqual(self.messages, [])
        self.assert_main_document_unchanged()
        with open(self.path("plain-merged.docx"), "rb") as f:
            sections, _, _, _ = sections_of(f.read())
        self.assertEqual(len(sections), 4)

    def test_a_tab_separated_source_without_byte_order_mark_merges_the_same(self):
        with open(self.path("cust.txt"), "w", encoding="utf-8", newline="") as f:
            f.write("first\tlast\tcompany\tSTREET\temail\nAnn\tSmith\t\t12 Main St\tann@example.com\n")
        self.assertEqual(self.run_request(self.request(5)), 0)
        with open(self.path("letter-merged.docx"), "rb") as f:
            sections, _, _, _ = sections_of(f.read())
        self.assertEqual(sections, [["Dear Ann SMITH,", "12 Main St", "Thank you for your business.", "",
                                     "Regards"]])

    # ---- merge to e-mail --------------------------------------------------------

    def mail(self, subject="Your statement", field="email", attach=0):
        record = MailRecord()
        record.subject = subject.encode("cp437")
        record.addressFieldName = field.encode("cp437")
        record.attach = attach
        return record

    def outbox(self):
        folder = self.path("outbox")
        messages = []
        for name in sorted(os.listdir(folder)):
            self.assertTrue(name.endswith(".eml"), name)
            with open(os.path.join(folder, name), "rb") as f:
                messages.append(email.message_from_bytes(f.read(), policy=email.policy.default))
        return messages

    def test_merge_to_email_writes_one_message_per_addressed_record_into_the_outbox(self):
        mail = self.mail(subject="Your statement \u00e9t\u00e9")  # "été" exists in code page 437
        self.assertEqual(self.run_request(self.request(6, mail=mail)), 0)
        self.assert_main_document_unchanged()
        messages = self.outbox()
        self.assertEqual(len(messages), 2)
        by_address = {m["To"].addresses[0].addr_spec: m for m in messages}
        self.assertEqual(sorted(by_address), ["ann@example.com", "bob@example.com"])
        bob = by_address["bob@example.com"]
        self.assertEqual(bob["To"].addresses[0].display_name, "Bob Jones")
        for message in messages:
            self.assertEqual(message["Subject"], "Your statement \u00e9t\u00e9")
            self.assertIsNotNone(message["Date"])
            self.assertIsNotNone(message["Message-ID"])
            self.assertIn("@", message["From"])
            self.assertFalse(message.is_multipart())
        body = by_address["ann@example.com"].get_content()
        self.assertEqual(body.replace("\r\n", "\n"),
                         "Dear Ann SMITH,\n12 Main St\nSuite 4\nThank you for your business.\n\nRegards\n")
        # Zoë has no address, and Dan's field tries to add a header line: both
        # are left out and the user is told, as of the outbox.
        self.assertEqual(self.messages, [
            'No mail command is set up (QXOFFICE_SENDMAIL), so the 2 message(s) were written to the '
            'outbox folder "%s".' % self.path("outbox"),
            '2 record(s) have no valid e-mail address in the field "email" and got no message: record 3, 4.',
        ])

    def test_merge_to_email_as_attachment_goes_through_the_mail_command(self):
        sendmail, record = self.fake_program("sendmail")
        os.environ["QXOFFICE_SENDMAIL"] = sendmail
        os.environ["QXOFFICE_MAIL_FROM"] = "Accounts <accounts@example.com>"
        self.assertEqual(self.run_request(self.request(6, mail=self.mail(attach=1))), 0)
        self.assertEqual(self.messages, [
            '2 record(s) have no valid e-mail address in the field "email" and got no message: record 3, 4.'])
        self.assertFalse(os.path.exists(self.path("outbox")))
        calls = self.calls(record)
        self.assertEqual([args for args, _ in calls],
                         [["-i", "--", "ann@example.com"], ["-i", "--", "bob@example.com"]])
        for (args, data), first in zip(calls, ["Ann", "Bob, Jr."]):
            message = email.message_from_bytes(data, policy=email.policy.default)
            self.assertEqual(message["From"].addresses[0].addr_spec, "accounts@example.com")
            self.assertEqual(message["To"].addresses[0].addr_spec, args[-1])
            attachments = list(message.iter_attachments())
            self.assertEqual([a.get_filename() for a in attachments], ["letter.docx"])
            sections, _, _, _ = sections_of(attachments[0].get_content())
            self.assertEqual(len(sections), 1)
            self.assertEqual(sections[0][0].split(" ")[1], first.split(" ")[0])

    def test_a_failing_mail_command_stops_the_merge_with_its_message(self):
        sendmail, record = self.fake_program("sendmail", exit_code=75, error="queue full\n")
        os.environ["QXOFFICE_SENDMAIL"] = sendmail
        self.assertEqual(self.run_request(self.request(6, mail=self.mail())), -5)
        self.assertEqual(self.messages, [
            "Word processor - The message to ann@example.com (record 1) could not be sent: "
            "%s: exit status 75: queue full" % sendmail])
        self.assertEqual(len(self.calls(record)), 1)
        self.assert_main_document_unchanged()

    def test_a_null_mail_record_or_request_fails_before_anything_is_touched(self):
        self.assertEqual(self.run_request(self.request(6)), -5)
        self.assertEqual(library.QxMailMergeAutomation(None), -5)
        self.assertEqual(self.messages, [
            "The merge to e-mail was called without its mail record (subject and address field).",
            "The mail merge was called without a request."])
        self.assertFalse(os.path.exists(self.path("outbox")))
        self.assert_main_document_unchanged()

    # ---- merge to the printer ---------------------------------------------------

    def test_merge_to_the_printer_sends_a_pdf_of_every_record_to_the_print_command(self):
        lp, record = self.fake_program("lp")
        os.environ["QXOFFICE_LP"] = lp
        os.environ["QXOFFICE_PRINTER"] = "office-laser"
        self.assertEqual(self.run_request(self.request(4)), 0)
        self.assertEqual(self.messages, [])
        self.assert_main_document_unchanged()
        calls = self.calls(record)
        self.assertEqual(len(calls), 1)
        args, pdf = calls[0]
        self.assertEqual(args, ["-d", "office-laser", "-t", "letter"])
        self.assertTrue(pdf.startswith(b"%PDF-"))
        with open(self.path("job.pdf"), "wb") as f:
            f.write(pdf)
        text = subprocess.run(["pdftotext", "-layout", self.path("job.pdf"), "-"], check=True,
                              capture_output=True).stdout.decode("utf-8")
        pages = [p for p in text.split("\f") if p.strip()]
        self.assertEqual(len(pages), 4)
        lines = [[line.strip() for line in page.splitlines() if line.strip()] for page in pages]
        self.assertEqual(lines[0], ["Dear Ann SMITH,", "12 Main St", "Suite 4", "Thank you for your business.",
                                    "Regards"])
        self.assertEqual(lines[1][:3], ["Dear Bob, Jr. JONES,", 'Acme "Tools"', "1 Elm Rd"])
        self.assertEqual(lines[2][:3], ["Dear Zo\u00eb \u00c6R\u00d8,", "Caf\u00e9 (Paris)", "3 Rue \\ Haute"])
        self.assertEqual(lines[3][:2], ["Dear Dan LEE,", "Lee & Co"])

    def use_letters_beyond_every_code_page(self):
        """The data source of two records whose names and cities no single-byte
        code page holds: Polish and Greek."""
        with open(self.path("cust.txt"), "w", encoding="utf-8", newline="") as f:
            f.write('First,Last,Company,Street,Email\r\n'
                    'Jan,Kowalski,Fabryka \u0141\u00f3d\u017a,ul. Piotrkowska 1,'
                    '"Jan \u0141\u00f3d\u017a <jan@example.com>"\r\n'
                    '\u039d\u03af\u03ba\u03bf\u03c2,\u03a0\u03b1\u03c0\u03ac\u03c2,'
                    '\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u0391\u0395,\u039f\u03b4\u03cc\u03c2 2,'
                    '"""\u03a0\u03b1\u03c0\u03ac\u03c2, \u0395\u03bb\u03bb\u03ac\u03b4\u03b1"" <nikos@example.com>"\r\n')

    def test_every_character_of_the_data_prints_and_reads_back_from_the_pdf(self):
        self.use_letters_beyond_every_code_page()
        lp, record = self.fake_program("lp")
        os.environ["QXOFFICE_LP"] = lp
        self.assertEqual(self.run_request(self.request(4)), 0)
        self.assertEqual(self.messages, [])
        (_, pdf), = self.calls(record)
        with open(self.path("job.pdf"), "wb") as f:
            f.write(pdf)
        text = subprocess.run(["pdftotext", self.path("job.pdf"), "-"], check=True,
                              capture_output=True).stdout.decode("utf-8")
        self.assertIn("Fabryka \u0141\u00f3d\u017a", text)
        self.assertIn("\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u0391\u0395", text)
        self.assertIn("Dear \u039d\u03af\u03ba\u03bf\u03c2 ", text)
        self.assertIn("\u039f\u03b4\u03cc\u03c2 2", text)
        self.assertNotIn("?", text)

    def test_a_display_name_beyond_ascii_is_encoded_and_reads_back(self):
        self.use_letters_beyond_every_code_page()
        self.assertEqual(self.run_request(self.request(6, mail=self.mail(subject="R\u00e9sum\u00e9 d\u2019\u00e9t\u00e9"[:6]))), 0)
        messages = self.outbox()
        by_address = {m["To"].addresses[0].addr_spec: m for m in messages}
        self.assertEqual(sorted(by_address), ["jan@example.com", "nikos@example.com"])
        self.assertEqual(by_address["jan@example.com"]["To"].addresses[0].display_name, "Jan \u0141\u00f3d\u017a")
        self.assertEqual(by_address["nikos@example.com"]["To"].addresses[0].display_name,
                         "\u03a0\u03b1\u03c0\u03ac\u03c2, \u0395\u03bb\u03bb\u03ac\u03b4\u03b1")
        for message in messages:
            raw = message.as_bytes()
            header_block = raw.split(b"\r\n\r\n", 1)[0]
            # Only ASCII in the headers: what is not is in encoded words.
            self.assertTrue(all(b < 0x80 for b in header_block), header_block)
            self.assertEqual(message["Subject"], "R\u00e9sum\u00e9")
        self.assertIn("Fabryka \u0141\u00f3d\u017a", by_address["jan@example.com"].get_content())

    def test_a_failed_print_merge_is_reported_as_a_failure(self):
        lp, _ = self.fake_program("lp", exit_code=1, error="lp: The printer or class does not exist.\n")
        os.environ["QXOFFICE_LP"] = lp
        self.assertEqual(self.run_request(self.request(4)), -5)
        self.assertEqual(self.messages, [
            "Word processor - The merged document could not be printed: "
            "%s: exit status 1: lp: The printer or class does not exist. "
            "The printer named is not set up in CUPS: lpstat -p lists those that are; set it up with "
            "lpadmin (or the page http://localhost:631), or name another." % lp])
        self.assert_main_document_unchanged()

    def test_a_print_command_that_is_missing_is_reported(self):
        os.environ["QXOFFICE_LP"] = self.path("no-such-lp")
        self.assertEqual(self.run_request(self.request(4)), -5)
        self.assertEqual(self.messages, [
            "Word processor - The merged document could not be printed: "
            "%s: cannot be started: No such file or directory." % self.path("no-such-lp")])


if __name__ == "__main__":
    unittest.main()
