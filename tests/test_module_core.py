"""The module as a whole: import, classes, exceptions, constants, NumPy."""

import numpy as np
import pytest

import quorva

EXPECTED_CONSTANTS = {
    "continuous": 0, "binary": 1, "integer": 2, "semicontinuous": 3, "semiinteger": 4,
    "partiallyinteger": 5, "minimize": 1, "maximize": -1, "leq": 1, "geq": 2, "eq": 3, "range": 4,
    "solinfo_absprimalinfeas": 0, "solinfo_relprimalinfeas": 1, "solinfo_absdualinfeas": 2,
    "solinfo_reldualinfeas": 3, "solinfo_maxmipfractional": 4,
    "basis_nonbasic_lower": 0, "basis_basic": 1, "basis_nonbasic_upper": 2, "basis_superbasic": 3,
    "lp_unstarted": 0, "lp_optimal": 1, "lp_infeas": 2, "lp_cutoff": 3, "lp_unfinished": 4,
    "lp_unbounded": 5, "lp_cutoff_in_dual": 6, "lp_unsolved": 7, "lp_nonconvex": 8,
    "mip_not_loaded": 0, "mip_lp_not_optimal": 1, "mip_lp_optimal": 2, "mip_no_sol_found": 3,
    "mip_solution": 4, "mip_infeas": 5, "mip_optimal": 6, "mip_unbounded": 7,
    "nlp_unstarted": 0, "nlp_solution": 1, "nlp_locally_optimal": 1, "nlp_globally_optimal": 2,
    "nlp_locally_infeasible": 3, "nlp_infeasible": 4, "nlp_unbounded": 5, "nlp_unfinished": 6,
    "stop_timelimit": 1, "stop_ctrlc": 2, "stop_nodelimit": 3, "stop_iterlimit": 4,
    "stop_mipgap": 5, "stop_sollimit": 6, "stop_user": 9,
    "type_notdefined": 0, "type_int": 1, "type_int64": 2, "type_double": 3, "type_string": 4,
    "colinfo_value": 1, "colinfo_rdj": 2, "colinfo_deltaindex": 3, "colinfo_delta": 4,
    "colinfo_deltadj": 5, "colinfo_updaterow": 6, "colinfo_sb": 7, "colinfo_sbdual": 8,
    "rowinfo_slack": 1, "rowinfo_dual": 2, "rowinfo_numpenaltyerrors": 3,
    "rowinfo_maxpenaltyerror": 4, "rowinfo_totalpenaltyerror": 5,
    "rowinfo_currentpenaltyerror": 6, "rowinfo_currentpenaltyfactor": 7,
    "rowinfo_penaltycolumnplus": 8, "rowinfo_penaltycolumnplusvalue": 9,
    "rowinfo_penaltycolumnplusdj": 10, "rowinfo_penaltycolumnminus": 11,
    "rowinfo_penaltycolumnminusvalue": 12, "rowinfo_penaltycolumnminusdj": 13,
    "msset_initialvalues": 0, "msset_initialfiltered": 6, "msset_solvers": 1,
    "msset_slp_basic": 2, "msset_slp_extended": 3, "msset_knitro_basic": 4,
    "msset_knitro_extended": 5,
}


def test_constants_have_their_values_and_types():
    assert len(EXPECTED_CONSTANTS) + 1 == 87  # and infinity
    for name, value in EXPECTED_CONSTANTS.items():
        got = getattr(quorva, name)
        assert type(got) is int and got == value, name
    assert type(quorva.infinity) is float and quorva.infinity == 1e20
    assert quorva.nlp_solution == quorva.nlp_locally_optimal == 1


def test_classes_and_exceptions_are_exposed():
    for name in ("var", "sos", "constraint", "problem", "branchobj", "poolcut"):
        assert isinstance(getattr(quorva, name), type), name
    assert quorva.problem.__name__ == "problem" and quorva.problem.__module__ == "quorva"
    for name in ("ModelError", "InterfaceError", "SolverError"):
        exc = getattr(quorva, name)
        assert issubclass(exc, Exception) and exc.__module__ == "quorva" and exc.__name__ == name
    assert isinstance(quorva.controls, type(quorva.problem().controls))


def test_import_works_in_a_fresh_process_from_anywhere(fresh_python, tmp_path):
    code = """
        import os, quorva
        os.chdir(%r)
        print(quorva.getversion())
    """ % str(tmp_path)
    rc, out, err = fresh_python(code)
    assert rc == 0, err
    assert out.strip() == quorva.getversion()


def test_module_functions_carry_sectioned_docstrings():
    sections = ["Purpose:", "Synopsis:", "Example:", "Further information:", "Related topics:"]
    for name in ("init", "free", "getversion", "getbanner", "getlasterror", "getcheckedmode",
                 "setcheckedmode", "setdefaultcontrol", "setdefaults", "addcbmsghandler",
                 "removecbmsghandler"):
        lines = getattr(quorva, name).__doc__.splitlines()
        for section in sections:
            assert section in lines, (name, section)
        assert "Arguments:" in lines or "Argument:" in lines, name


class TestNumpyComparisons:
    """Numeric arrays compare as NumPy always did; object arrays element by element."""

    def test_numeric_arrays_keep_numpys_results(self):
        a = np.array([1.0, 2.0, 3.0])
        b = np.array([2, 2, 2])
        for op, expected in ((a <= b, [True, True, False]), (a >= b, [False, True, True]),
                             (a == b, [False, True, False])):
            assert op.dtype == np.bool_
            assert op.tolist() == expected
        assert (np.arange(5) <= 2).tolist() == [True, True, True, False, False]

    def test_object_arrays_of_numbers_give_booleans(self):
        a = np.array([1, 5, None], dtype=object)
        b = np.array([2, 2, None], dtype=object)
        assert (a[:2] <= b[:2]).tolist() == [True, False]
        assert (a[:2] >= b[:2]).tolist() == [False, True]
        assert (a == b).tolist() == [False, False, True]

    def test_object_comparison_errors_propagate(self):
        a = np.array([1, "x"], dtype=object)
        with pytest.raises(TypeError):
            a <= np.array([2, 3], dtype=object)

    def test_comparisons_survive_the_interpreter_shutting_down(self, fresh_python):
        # The module's free function puts NumPy's own ufuncs back at shutdown.
        rc, out, err = fresh_python("""
            import numpy as np, quorva
            x = np.array([1, 2], dtype=object)
            print((x <= 1).tolist())
        """)
        assert rc == 0, err
        assert out.strip() == "[True, False]"
        assert "Error" not in err
