"""Checks documents against the document schema, with Debian's validator.

    validate_documents.py SCHEMA --valid FILE... --invalid FILE... --markdown FILE...

Every valid file and every ```json block of a markdown file that holds a
whole document (it has "hostVersion") must validate; every invalid file
must not, or must not be JSON at all. Prints each failure; exits 1 on any.
"""
import argparse
import json
import re
import sys

from jsonschema import validators


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("schema")
    parser.add_argument("--valid", nargs="*", default=[])
    parser.add_argument("--invalid", nargs="*", default=[])
    parser.add_argument("--markdown", nargs="*", default=[])
    arguments = parser.parse_args()

    with open(arguments.schema, encoding="utf-8") as file:
        schema = json.load(file)
    validator_class = validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)

    def problems(text):
        try:
            document = json.loads(text)
        except ValueError as error:
            return ["not JSON: %s" % error]
        return [error.message for error in validator.iter_errors(document)]

    failures = []
    for path in arguments.valid:
        with open(path, encoding="utf-8") as file:
            for problem in problems(file.read()):
                failures.append("%s: %s" % (path, problem))
    for path in arguments.invalid:
        with open(path, encoding="utf-8") as file:
            if not problems(file.read()):
                failures.append("%s: validates, but must not" % path)
    for path in arguments.markdown:
        with open(path, encoding="utf-8") as file:
            blocks = re.findall(r"```json\n(.*?)```", file.read(), re.S)
        documents = [block for block in blocks if '"hostVersion"' in block]
        if not documents:
            failures.append("%s: holds no document" % path)
        for block in documents:
            for problem in problems(block):
                failures.append("%s: a document in it: %s" % (path, problem))

    for failure in failures:
        print(failure)
    checked = len(arguments.valid) + len(arguments.invalid) + len(arguments.markdown)
    print("%d files checked, %d failures" % (checked, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
