#!/usr/bin/env python3
"""Writes the winget manifest set for the installer and checks it offline.

  winget_manifests.py write <version> <installer.exe> <out folder>
  winget_manifests.py check <folder>

`write` makes the version, installer and default-locale manifests in <out
folder> and then checks them as `check` does. `check` reads every *.yaml of
the folder back and holds each against the schema of its ManifestType kept
beside this script: the JSON schema itself (types, patterns, lengths, enums,
required fields), and, field by field, that every field is one the schema
defines. The schemas allow unknown fields, so a misspelt field would
otherwise pass here and be ignored by the client. Exit code 0 when every
manifest passes.
"""

import hashlib
import json
import pathlib
import sys

import jsonschema
import yaml

SCHEMA_VERSION = "1.28.0"
SCHEMA_DIR = pathlib.Path(__file__).resolve().parent / f"schema-{SCHEMA_VERSION}"
PACKAGE_ID = "Quorvelle.Tallyframe"
REPOSITORY = "https://github.com/quorvelle/quorvelle-tally-frame"
SCHEMA_FILES = {
    "version": "manifest.version",
    "installer": "manifest.installer",
    "defaultLocale": "manifest.defaultLocale",
}


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest().upper()


def manifests(version, installer):
    common = {"PackageIdentifier": PACKAGE_ID, "PackageVersion": version}
    tag_url = f"{REPOSITORY}/releases/download/v{version}"
    return {
        f"{PACKAGE_ID}.yaml": {
            **common,
            "DefaultLocale": "en-US",
            "ManifestType": "version",
            "ManifestVersion": SCHEMA_VERSION,
        },
        f"{PACKAGE_ID}.installer.yaml": {
            **common,
            "MinimumOSVersion": "10.0.17763.0",
            "InstallerType": "nullsoft",
            "Scope": "user",
            "InstallModes": ["interactive", "silent", "silentWithProgress"],
            "UpgradeBehavior": "install",
            "ProductCode": "Tallyframe",
            "AppsAndFeaturesEntries": [
                {"DisplayName": "Tallyframe", "Publisher": "Quorvelle", "DisplayVersion": version,
                 "ProductCode": "Tallyframe"}
            ],
            "InstallationMetadata": {"DefaultInstallLocation": "%LocalAppData%\\Programs\\Tallyframe"},
            "Installers": [
                {
                    "Architecture": "x64",
                    "InstallerUrl": f"{tag_url}/{pathlib.Path(installer).name}",
                    "InstallerSha256": sha256_of(installer),
                }
            ],
            "ManifestType": "installer",
            "ManifestVersion": SCHEMA_VERSION,
        },
        f"{PACKAGE_ID}.locale.en-US.yaml": {
            **common,
            "PackageLocale": "en-US",
            "Publisher": "Quorvelle",
            "PublisherUrl": "https://www.quorvelle.com/",
            "PackageName": "Tallyframe",
            "PackageUrl": "https://tallyframe.quorvelle.com/",
            "License": "Proprietary",
            "Copyright": "Copyright (C) 2026 Quorvelle. All rights reserved.",
            "ShortDescription": "Makes one tall (or wide) screenshot of content that scrolls.",
            "Description": (
                "Click a window or drag a rectangle over a scrollable area: Tallyframe scrolls it by itself, "
                "stops at the end of the page and joins the frames into one PNG. It never saves a partial image."
            ),
            "Moniker": "tallyframe",
            "Tags": ["screenshot", "scrolling-screenshot", "long-screenshot", "capture"],
            "ReleaseNotesUrl": f"{REPOSITORY}/releases/tag/v{version}",
            "ManifestType": "defaultLocale",
            "ManifestVersion": SCHEMA_VERSION,
        },
    }


def write(version, installer, out):
    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("*.yaml"):
        old.unlink()
    for name, data in manifests(version, installer).items():
        kind = data["ManifestType"]
        header = (f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind.lower()}."
                  f"{SCHEMA_VERSION}.schema.json\n\n")
        text = header + yaml.safe_dump(data, sort_keys=False, allow_unicode=True, width=1000)
        temporary = out / (name + ".tmp")
        temporary.write_text(text, encoding="utf-8", newline="\n")
        temporary.replace(out / name)


def resolve(schema, root):
    while "$ref" in schema:
        node = root
        for part in schema["$ref"].lstrip("#/").split("/"):
            node = node[part]
        schema = node
    return schema


def unknown_fields(value, schema, root, where):
    schema = resolve(schema, root)
    found = []
    if isinstance(value, dict):
        known = schema.get("properties", {})
        for key, item in value.items():
            if key not in known:
                found.append(f"{where}{key}")
            else:
                found += unknown_fields(item, known[key], root, f"{where}{key}.")
    elif isinstance(value, list) and "items" in schema:
        for i, item in enumerate(value):
            found += unknown_fields(item, schema["items"], root, f"{where}[{i}].")
    return found


def check_file(path):
    """The problems of one manifest, as lines; none when it passes."""
    try:
        data = yaml.safe_load(path.read_text(encoding="utf-8"))
    except (OSError, yaml.YAMLError) as e:
        return [f"not readable YAML: {e}"]
    if not isinstance(data, dict):
        return ["not a mapping"]
    kind = data.get("ManifestType")
    if kind not in SCHEMA_FILES:
        return [f"unknown ManifestType {kind!r}"]
    schema = json.loads((SCHEMA_DIR / f"{SCHEMA_FILES[kind]}.{SCHEMA_VERSION}.json").read_text(encoding="utf-8"))
    validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
    problems = [f"{'.'.join(map(str, e.absolute_path)) or '(top)'}: {e.message}"
                for e in sorted(validator.iter_errors(data), key=lambda e: list(map(str, e.absolute_path)))]
    problems += [f"{name}: not a field of the {kind} schema" for name in unknown_fields(data, schema, schema, "")]
    if data.get("ManifestVersion") != SCHEMA_VERSION:
        problems.append(f"ManifestVersion {data.get('ManifestVersion')!r}, checked against {SCHEMA_VERSION}")
    return problems


def check(folder):
    files = sorted(folder.glob("*.yaml"))
    kinds = set()
    ok = bool(files)
    if not files:
        print(f"winget: no manifests in {folder}")
    ids = set()
    for path in files:
        problems = check_file(path)
        try:
            data = yaml.safe_load(path.read_text(encoding="utf-8")) or {}
            kinds.add(data.get("ManifestType"))
            ids.add((data.get("PackageIdentifier"), data.get("PackageVersion")))
        except (OSError, yaml.YAMLError, AttributeError):
            pass
        for p in problems:
            print(f"winget: {path.name}: {p}")
        ok = ok and not problems
    for kind in sorted(set(SCHEMA_FILES) - kinds):
        print(f"winget: no {kind} manifest")
        ok = False
    if len(ids) > 1:
        print(f"winget: the manifests disagree on identifier or version: {sorted(map(str, ids))}")
        ok = False
    if ok:
        print(f"winget: {len(files)} manifests pass the {SCHEMA_VERSION} schemas, field by field")
    return ok


def main(argv):
    if len(argv) == 5 and argv[1] == "write":
        write(argv[2], argv[3], pathlib.Path(argv[4]))
        return 0 if check(pathlib.Path(argv[4])) else 1
    if len(argv) == 3 and argv[1] == "check":
        return 0 if check(pathlib.Path(argv[2])) else 1
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
