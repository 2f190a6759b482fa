#!/usr/bin/python3
"""Reads the running window through AT-SPI as a screen reader does and checks
that every box, combo, result and group is announced by its heading."""
import sys
import time

import pyatspi

TITLE_START = "Звуковое давление"


def find_window(timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for window in app:
                if window is not None and (window.name or "").startswith(TITLE_START):
                    return window
        time.sleep(0.3)
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return None


def main():
    window = find_window()
    if window is None:
        print("FAIL: the window did not appear on the accessibility bus")
        return 1
    nodes = list(walk(window))
    by_name = {}
    for n in nodes:
        by_name.setdefault((n.getRoleName(), n.name), []).append(n)

    failures = []

    def labelled_by(node):
        names = []
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
        return names

    def expect_combo(heading, value, label=None):
        # The combo box itself is announced by its heading, not by its value;
        # its edit field is named after the heading too and holds the value;
        # the combo is labelled by the heading label.
        combos = by_name.get(("combo box", heading), [])
        if not combos:
            shown = [n.name for n in nodes if n.getRoleName() == "combo box"]
            failures.append(f"no combo box named {heading!r} (combo boxes: {shown!r})")
            return
        edits = [n for n in combos[0] if n is not None and n.getRoleName() == "text"]
        if not edits or edits[0].name != heading:
            failures.append(f"combo {heading!r} has no edit field of that name")
            return
        if text_of(edits[0]) != value:
            failures.append(f"combo {heading!r} shows {text_of(edits[0])!r}, expected {value!r}")
        if not any(text.startswith(label or heading) for text in labelled_by(combos[0])):
            failures.append(f"combo {heading!r} labelled by {labelled_by(combos[0])!r}")

    def expect(role, name, value=None, description=None):
        found = by_name.get((role, name))
        if not found:
            failures.append(f"no {role} named {name!r}")
            return
        node = found[0]
        if value is not None:
            shown = text_of(node)
            if shown is None and role == "combo box":
                shown = next((text_of(c) for c in node if c is not None and text_of(c)), None)
            if shown != value:
                failures.append(f"{role} {name!r} shows {shown!r}, expected {value!r}")
        if description is not None and node.description != description:
            failures.append(f"{role} {name!r} described {node.description!r}, expected {description!r}")

    # Text boxes by their headings, with their values readable.
    expect("text", "Мощность, Вт", "6")
    expect("text", "SPL,Вт/м", "88")
    expect("text", "Высота потолков, м", "3")
    expect("text", "Длина, м", "6")
    expect("text", "Ширина, м", "6")
    expect("text", "Площадь, м2", "36")
    expect("text", "шум, дБ", "70")
    expect("text", "Дальность, м", "10")
    # Combos by their headings.
    expect_combo("Громкоговоритель", "GK-1")
    expect_combo("Тип помещения", "АВТОСТОЯНКА", label="Тип")
    expect_combo("Диаграмма направленности, Град", "90")
    expect_combo("Вертикальная диаграмма направленности, Град", "90")
    expect_combo("Угол наклона громкоговорителя, Град", "0")
    expect_combo("Уровень перекрытия шума, дБ", "10")
    expect_combo("Высота точки прослушивания, см", "150")
    # Groups by their own titles.
    for title in ["Входные данные", "Параметры громкоговорителя", "Градация мощности", "Тип",
                  "Ручная настройка", "Параметры помещения", "Выходные данные", "Зависимость"]:
        if not any(n.name == title and n.getRoleName() in ("panel", "grouping", "filler") for n in nodes):
            failures.append(f"no group named {title!r}")
    # Result labels: empty values, headings as descriptions.
    descriptions = {n.description for n in nodes if n.getRoleName() == "label"}
    for heading in ["Общее звуковое давление громкоговорителя, дБ",
                    "Эффективная дальность, обеспечивающая разборчивость сообщения громкоговорителя, м",
                    "Эффективно озвучиваемая площадь, м2",
                    "Необходимое кол-во громкоговорителей", "Затухание, дБ"]:
        if heading not in descriptions:
            failures.append(f"no result label described as {heading!r}")

    # Press CALCULATE through the accessibility interface and read the results.
    button = by_name.get(("push button", "РАСЧИТАТЬ"))
    if not button:
        failures.append("no push button РАСЧИТАТЬ")
    else:
        action = button[0].queryAction()
        action.doAction(0)
        time.sleep(1.0)
        results = {n.description: n.name for n in walk(window) if n.getRoleName() == "label" and n.description}
        got = [results.get("Общее звуковое давление громкоговорителя, дБ"),
               results.get("Необходимое кол-во громкоговорителей")]
        if got != ["95", "2"]:
            failures.append(f"results after CALCULATE read {got!r}, expected ['95', '2']")

    for f in failures:
        print("FAIL:", f)
    print(f"{len(nodes)} accessible objects, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
