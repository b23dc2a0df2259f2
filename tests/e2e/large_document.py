"""Writes a document of SYSTEMS staff systems, one at each measure from 1 on.

    large_document.py SYSTEMS TEMPLATE OUTPUT

The page formats and other records come from TEMPLATE (a document). Every
tenth measure ends in a final barline.
"""
import json
import sys


def main():
    systems, template, output = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    with open(template, encoding="utf-8") as file:
        document = json.load(file)
    document["description"] = "%d systems, one at each measure" % systems
    document["systems"] = [{"firstMeasure": m, "leftIndent": 0} for m in range(1, systems + 1)]
    document["measures"] = [
        {"number": m, "barlineStyle": 5 if m % 10 == 0 else 0, "fullNames": False}
        for m in range(1, systems + 1)
    ]
    with open(output, "w", encoding="utf-8") as file:
        json.dump(document, file)
    return 0


if __name__ == "__main__":
    sys.exit(main())
