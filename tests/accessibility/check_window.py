#!/usr/bin/python3
"""Reads the running program through AT-SPI as a screen reader does: the main
window, then the "Линия" and "План" windows opened through its menu. Checks
that every box, spin box and combo is announced by its caption, every combo
has its entries (list items of its list, the shown one selected) and its edit
field as children, every value label is described by its caption, every
group is announced by its title and the windows are frames."""
import re
import sys
import time

import pyatspi

TITLE_START = "Звуковое давление"
LINE_TITLE = "Потери на проводах и усилитель"
PLAN_TITLE = "План размещения громкоговорителей"
INPUT_ROLES = ("text", "spin button", "combo box")

# The inputs of the tool windows, in the order they are shown, by caption.
LINE_INPUTS = ["Напряжение линии, В", "Количество громкоговорителей",
               "Мощность громкоговорителя на отводе, Вт", "Длина до первого громкоговорителя, м",
               "Длина до последнего громкоговорителя, м", "Сечение жилы, мм²", "Допустимые потери, дБ",
               "Запас мощности усилителя, %"]
PLAN_INPUTS = [
    "Расстановка",
    "Количество громкоговорителей",
    "Показать",
    "Пол",
    "Стены",
    "Потолок",
    "Время реверберации, с",
]
# Their value labels, by the caption that describes them.
LINE_FIGURES = ["Суммарная мощность линии, Вт", "Сопротивление нагрузки, Ом", "Сопротивление проводов, Ом",
                "Потери на последнем громкоговорителе, дБ", "Напряжение на последнем громкоговорителе, В",
                "Потери мощности в кабеле, %", "Наименьшее сечение жилы, мм²", "Наибольшая длина линии, м",
                "Мощность усилителя, не менее, Вт"]
PLAN_VALUES = ["Громкоговоритель", "Помещение", "Итог расстановки"]
# The main window's one heading over two fields ("Тип … шум, дБ"): each
# field is named by its own part of it.
SHARED_HEADING = {"Тип помещения": "Тип", "шум, дБ": "шум, дБ"}
# A value whose caption is not shown beside it.
UNSHOWN_CAPTIONS = {"Итог расстановки"}


def find_window(title_start=TITLE_START, timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for window in app:
                if window is not None and (window.name or "").startswith(title_start):
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


def children(node):
    return [c for c in node if c is not None]


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def press(node, action_name):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index(action_name))


def labelled_by(node):
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return names


def inputs_of(window):
    """The boxes, spin boxes and combos; a combo's edit field belongs to it."""
    return [n for n in walk(window)
            if n.getRoleName() in INPUT_ROLES and n.parent.getRoleName() not in ("combo box", "spin button")]


def check_inputs(title, window, failures):
    """Every input is named by the caption label that leads to it (or, under
    the main window's shared heading, by its own part of that heading)."""
    headings = [n.name or "" for n in walk(window) if n.getRoleName() == "label" and not n.description]
    for node in inputs_of(window):
        name = node.name or ""
        captions = labelled_by(node)
        part = SHARED_HEADING.get(name)
        if part is not None:
            named = any(part in re.split(r"\s{2,}", heading) for heading in headings)
        else:
            named = name != "" and name in captions
        if not named:
            failures.append(f"{title}: {node.getRoleName()} {name!r} is not named by its caption "
                            f"(labelled by {captions!r})")


def check_combo(title, combo, failures):
    """The combo has its list (entries as list items, the shown one
    selected) and, when editable, its edit field, named as the combo."""
    kids = children(combo)
    if not kids or kids[0].getRoleName() != "list":
        failures.append(f"{title}: combo {combo.name!r} has no list of entries "
                        f"(children {[c.getRoleName() for c in kids]!r})")
        return
    items = children(kids[0])
    if not items or any(i.getRoleName() != "list item" for i in items):
        failures.append(f"{title}: combo {combo.name!r} lists {[i.getRoleName() for i in items]!r}")
        return
    selected = [i.name for i in items if "selected" in states(i)]
    edits = [c for c in kids if c.getRoleName() == "text"]
    if "editable" in states(combo):
        if not edits or edits[0].name != combo.name:
            failures.append(f"{title}: editable combo {combo.name!r} has no edit field of that name")
            return
        shown = text_of(edits[0])
        expected = [shown] if shown in [i.name for i in items] else []
        if selected != expected:
            failures.append(f"{title}: combo {combo.name!r} shows {shown!r}, its list selects {selected!r}")
    elif len(selected) != 1:
        failures.append(f"{title}: combo {combo.name!r} selects {selected!r} in its list")


def check_combos(title, window, failures):
    for combo in (n for n in walk(window) if n.getRoleName() == "combo box"):
        check_combo(title, combo, failures)


def check_value_labels(title, window, failures):
    """Every value label (a label the keyboard reaches) is described by a
    caption of the window."""
    labels = [n for n in walk(window) if n.getRoleName() == "label"]
    captions = {" ".join((n.name or "").split()) for n in labels if not n.description}
    for label in labels:
        if "focusable" not in states(label):
            continue
        if not label.description or (label.description not in captions
                                      and label.description not in UNSHOWN_CAPTIONS):
            failures.append(f"{title}: value label {label.name!r} described {label.description!r}, "
                            "which is no caption of the window")


def expect_inputs(title, window, captions, failures):
    names = [n.name for n in inputs_of(window)]
    if names != captions:
        failures.append(f"{title}: inputs read as {names!r}, expected {captions!r}")


def expect_values(title, window, captions, failures):
    """The value labels described by these captions show a value."""
    values = {n.description: n.name for n in walk(window) if n.getRoleName() == "label" and n.description}
    for caption in captions:
        if not values.get(caption):
            failures.append(f"{title}: no value described as {caption!r} (found {values.get(caption)!r})")


def check_open_list(title, combo, failures):
    """With the list open the combo is expanded and its entries are its
    list's children."""
    press(combo, "ShowMenu")
    time.sleep(0.7)
    if "expanded" not in states(combo):
        failures.append(f"{title}: combo {combo.name!r} is not expanded with its list open")
    lists = [c for c in children(combo) if c.getRoleName() == "list"]
    items = children(lists[0]) if lists else []
    if not items or "showing" not in states(lists[0]):
        failures.append(f"{title}: open combo {combo.name!r} shows no list of entries")
    press(combo, "ShowMenu")
    time.sleep(0.5)
    if "collapsed" not in states(combo):
        failures.append(f"{title}: combo {combo.name!r} is not collapsed after its list closed")
    check_combo(title + ", list closed again", combo, failures)


def open_tool_window(main_window, item_name, title, failures):
    """Opens a tool window through its menu item, as a screen reader user
    does."""
    items = [n for n in walk(main_window) if n.getRoleName() == "menu item" and n.name == item_name]
    if not items:
        failures.append(f"no menu item {item_name!r}")
        return None
    press(items[0], "Press")
    window = find_window(title, timeout=10.0)
    if window is None:
        failures.append(f"the window {title!r} did not appear on the accessibility bus")
    elif window.getRoleName() != "frame":
        failures.append(f"the window {title!r} is read as {window.getRoleName()!r}, not as a frame")
    return window


def check_window(title, window, failures):
    check_inputs(title, window, failures)
    check_combos(title, window, failures)
    check_value_labels(title, window, failures)


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
    if window.getRoleName() != "frame":
        failures.append(f"the main window is read as {window.getRoleName()!r}")

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

    check_window("main window", window, failures)
    combos = [n for n in walk(window) if n.getRoleName() == "combo box"]
    if combos:
        check_open_list("main window", combos[0], failures)

    # The tool windows, after the calculation they follow.
    line = open_tool_window(window, "Линия", LINE_TITLE, failures)
    if line is not None:
        check_window("Линия", line, failures)
        expect_inputs("Линия", line, LINE_INPUTS, failures)
        expect_values("Линия", line, LINE_FIGURES, failures)
        voltage = [n for n in walk(line) if n.getRoleName() == "combo box"][:1]
        if voltage:
            check_open_list("Линия", voltage[0], failures)
    plan = open_tool_window(window, "План", PLAN_TITLE, failures)
    if plan is not None:
        check_window("План", plan, failures)
        expect_inputs("План", plan, PLAN_INPUTS, failures)
        expect_values("План", plan, PLAN_VALUES, failures)

    for f in failures:
        print("FAIL:", f)
    print(f"{len(nodes)} accessible objects in the main window, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
