#!/usr/bin/env python3
"""Rewrites the test vectors of RFC 8452 Appendix C (AES-GCM-SIV) as AEAD records.

Usage: convert_rfc8452.py <text of the RFC> > data/Test/KAT_AES_GCM_SIV/rfc8452.txt

Each vector's Key, Nonce, AAD and Plaintext are copied as they are; its Result
(ciphertext then tag) is split into Ciphertext and Tag, and the tag is checked
against the vector's own Tag line. Values that continue on the next lines are
joined; page headers and footers are dropped.
"""
import re
import sys

FIELDS = ("Plaintext", "AAD", "Key", "Nonce", "Tag", "Result")


def vectors(text):
    section, current, field = "", None, None
    for line in text.splitlines():
        heading = re.match(r"^(C\.[123])\.\s+(.*)$", line)
        if heading:
            section = heading.group(1) + " " + heading.group(2).strip()
            continue
        entry = re.match(r"^   (\S[^=(]*?)\s*(?:\(\d+ bytes?\))?\s*=\s*([0-9a-f]*)\s*$", line)
        if entry:
            field = entry.group(1).strip()
            if field == "Plaintext":
                if current:
                    yield current
                current = {"section": section}
            if current is not None and field in FIELDS:
                current[field] = entry.group(2)
            continue
        more = re.match(r"^ {31}([0-9a-f]+)\s*$", line)
        if more and current is not None and field in FIELDS:
            current[field] += more.group(1)
            continue
        # Anything else (page breaks, prose) leaves the field open: a value may
        # continue after a page break.
    if current:
        yield current


def main():
    text = open(sys.argv[1], encoding="utf-8").read()
    print("# RFC 8452 Appendix C (AES-GCM-SIV), converted by tools/convert_rfc8452.py.")
    section = None
    for count, v in enumerate(vectors(text)):
        result, tag = v["Result"], v["Tag"]
        if len(result) != len(v["Plaintext"]) + 32 or result[-32:] != tag:
            sys.exit(f"vector {count}: result is not the ciphertext followed by the tag")
        if v["section"] != section:
            section = v["section"]
            print(f"\n# {section}")
        print(f"\nCOUNT = {count}")
        print(f"Key = {v['Key']}")
        print(f"IV = {v['Nonce']}")
        print(f"AAD = {v['AAD']}")
        print(f"Tag = {tag}")
        print(f"Plaintext = {v['Plaintext']}")
        print(f"Ciphertext = {result[:-32]}")


if __name__ == "__main__":
    main()
