"""Checks NAME.geojson against RFC 7946 and NAME.kml as KML 2.2 XML, as a GIS tool reads them.

usage: check_geo_files.py NAME.geojson NAME.kml SECTIONS FLAGS
Prints what is wrong and exits with 1, or exits with 0."""
import json
import math
import re
import sys
import xml.etree.ElementTree as ET

problems = []


def check(condition, what):
    if not condition:
        problems.append(what)
    return condition


def position_ok(p, where):
    return check(isinstance(p, list) and len(p) == 2 and all(isinstance(v, (int, float)) for v in p)
                 and -180 <= p[0] <= 180 and -90 <= p[1] <= 90, f"{where}: bad position {p}")


def feet(a, b):  # along a short straight road: equirectangular
    north = (b[1] - a[1]) * 364000.0
    east = (b[0] - a[0]) * 364000.0 * math.cos(math.radians(a[1]))
    return math.hypot(north, east)


WHOLE, REAL, TEXT = (int,), (int, float, type(None)), (str,)
SECTION = dict(section=WHOLE, start_ft=REAL, end_ft=REAL, start_station=TEXT, end_station=TEXT,
               results=WHOLE, mean=REAL, sd=REAL, cov=REAL, characteristic=REAL, p90=REAL,
               p95=REAL, min=REAL, max=REAL, start_lat=REAL, start_lon=REAL, end_lat=REAL,
               end_lon=REAL, **{"class": WHOLE}, stroke=TEXT)
FLAG = dict(flag=WHOLE, start_ft=REAL, end_ft=REAL, start_station=TEXT, end_station=TEXT,
            results=WHOLE, peak=REAL, peak_ft=REAL, mean=REAL, lat=REAL, lon=REAL)


def check_geojson(path, sections, flags):
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    check(doc.get("type") == "FeatureCollection", "not a FeatureCollection")
    check("crs" not in doc, "a crs member")
    features = doc.get("features", [])
    lines = [f for f in features if f["geometry"]["type"] == "LineString"]
    points = [f for f in features if f["geometry"]["type"] == "Point"]
    check((len(lines), len(points)) == (sections, flags),
          f"{len(lines)} lines and {len(points)} points, not {sections} and {flags}")
    colours = {}
    for n, f in enumerate(features):
        where = f"feature {n + 1}"
        check(f.get("type") == "Feature", f"{where}: type {f.get('type')}")
        g, p = f["geometry"], f["properties"]
        kinds = SECTION if g["type"] == "LineString" else FLAG
        check(list(p) == list(kinds), f"{where}: properties {list(p)}")
        for key, value in p.items():
            check(type(value) in kinds.get(key, ()), f"{where}: {key} is {value!r}")
        if g["type"] == "Point":
            if position_ok(g["coordinates"], where):  # [longitude, latitude]
                check(g["coordinates"] == [p["lon"], p["lat"]], f"{where}: not at lon, lat")
            continue
        path = g["coordinates"]
        check(len(path) >= 2 and all(position_ok(q, where) for q in path), f"{where}: path")
        check(path[0] == [p["start_lon"], p["start_lat"]] and path[-1] == [p["end_lon"], p["end_lat"]],
              f"{where}: its ends are not its start and end")
        check(all(feet(a, b) > 9.9 for a, b in zip(path, path[1:])) or len(path) == 2,
              f"{where}: vertices closer than 10 ft")
        check(1 <= p["class"] <= 4 and re.fullmatch("#[0-9a-f]{6}", p["stroke"]), f"{where}: class")
        colours.setdefault(p["class"], set()).add(p["stroke"])
    check(all(len(c) == 1 for c in colours.values()) and
          len(set().union(*colours.values())) == len(colours), f"colours of the classes: {colours}")
    ranked = sorted((f["properties"]["characteristic"], f["properties"]["class"]) for f in lines)
    check(all(a[1] <= b[1] for a, b in zip(ranked, ranked[1:])), "classes do not rise with values")


def check_kml(path, sections, flags):
    ns = {"k": "http://www.opengis.net/kml/2.2"}
    root = ET.parse(path).getroot()
    check(root.tag == "{http://www.opengis.net/kml/2.2}kml", f"root {root.tag}")
    styles = {s.get("id") for s in root.iter("{%s}Style" % ns["k"])}
    marks = list(root.iter("{%s}Placemark" % ns["k"]))
    lines = [m for m in marks if m.find("k:LineString", ns) is not None]
    check((len(lines), len(marks) - len(lines)) == (sections, flags),
          f"{len(lines)} line and {len(marks) - len(lines)} point placemarks")
    for m in marks:
        name = m.findtext("k:name", "", ns)
        check(m.findtext("k:styleUrl", "", ns).lstrip("#") in styles, f"{name}: no style")
        check("<table>" in m.findtext("k:description", "", ns), f"{name}: no table")
        for text in m.findtext(".//k:coordinates", "", ns).split():
            position_ok([float(v) for v in text.split(",")], name)


check_geojson(sys.argv[1], int(sys.argv[3]), int(sys.argv[4]))
check_kml(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
print("\n".join(problems[:20]))
sys.exit(1 if problems else 0)
