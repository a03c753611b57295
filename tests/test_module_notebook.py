"""The default log in a notebook: a Jupyter kernel's sys.stdout is not the
process's standard output, so the solve's log reaches the cell only through
sys.stdout, in order with the cell's own prints."""

import pytest

nbformat = pytest.importorskip("nbformat")
nbclient = pytest.importorskip("nbclient")
pytest.importorskip("ipykernel")

CELL = """\
import quorva
print("before the solve")
p = quorva.problem(name="cell")
x = quorva.var(name="x", ub=4)
p.addVariable(x)
p.addConstraint(2 * x >= 3)
p.setObjective(x)
p.solve()
print("after the solve", p.getSolution(x))
"""


def _cell_output(source, tmp_path):
    notebook = nbformat.v4.new_notebook()
    notebook.cells.append(nbformat.v4.new_code_cell(source))
    client = nbclient.NotebookClient(notebook, timeout=300, kernel_name="python3",
                                     resources={"metadata": {"path": str(tmp_path)}})
    client.execute()
    outputs = notebook.cells[0].outputs
    assert [o for o in outputs if o.output_type == "error"] == []
    return "".join(o.text for o in outputs if o.output_type == "stream" and o.name == "stdout")


def test_solve_log_appears_in_the_cell_in_order(tmp_path):
    text = _cell_output(CELL, tmp_path)
    lines = text.splitlines()
    assert lines[0] == "before the solve" and lines[-1] == "after the solve 1.5"
    # The log of the load and the solve lies between the two prints, whole lines.
    log = lines[1:-1]
    assert any(line.startswith("QRVAlpoptimize: lp_optimal") for line in log), text
    assert len(log) > 2


def test_log_stays_quiet_where_outputlog_is_off(tmp_path):
    text = _cell_output(CELL.replace("p.addVariable(x)", "p.controls.outputlog = 0\np.addVariable(x)"), tmp_path)
    assert text.splitlines() == ["before the solve", "after the solve 1.5"]
