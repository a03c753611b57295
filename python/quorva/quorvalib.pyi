"""Creating, solving, querying and handling optimization problems"""
# Written by tools/gen_stubs.py from the docstrings of the built module: do not edit.

from typing import Any, ClassVar, final

from typing_extensions import disjoint_base

class InterfaceError(Exception):
    ...

class ModelError(Exception):
    ...

class SolverError(Exception):
    ...

class UnknownNameError(ModelError):
    ...

class _operators:
    """The operators these classes share."""
    def __abs__(self) -> Any: ...
    def __add__(self, __value: Any) -> Any: ...
    def __eq__(self, __value: Any) -> Any: ...
    def __ge__(self, __value: Any) -> Any: ...
    def __gt__(self, __value: Any) -> Any: ...
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __iadd__(self, __value: Any) -> Any: ...
    def __imul__(self, __value: Any) -> Any: ...
    def __ipow__(self, __value: Any) -> Any: ...  # type: ignore[misc]
    def __isub__(self, __value: Any) -> Any: ...
    def __itruediv__(self, __value: Any) -> Any: ...
    def __le__(self, __value: Any) -> Any: ...
    def __lt__(self, __value: Any) -> Any: ...
    def __mul__(self, __value: Any) -> Any: ...
    def __ne__(self, __value: Any) -> Any: ...
    def __neg__(self) -> Any: ...
    def __pow__(self, __value: Any, __mod: Any = ...) -> Any: ...
    def __radd__(self, __value: Any) -> Any: ...
    def __repr__(self) -> str: ...
    def __rmul__(self, __value: Any) -> Any: ...
    def __rpow__(self, __value: Any, __mod: Any = ...) -> Any: ...
    def __rsub__(self, __value: Any) -> Any: ...
    def __rtruediv__(self, __value: Any) -> Any: ...
    def __str__(self) -> str: ...
    def __sub__(self, __value: Any) -> Any: ...
    def __truediv__(self, __value: Any) -> Any: ...

@final
class _attribute:
    """Attributes (read-only values) of a problem"""
    def __delattr__(self, __name: Any) -> None: ...
    def __repr__(self) -> str: ...
    def __setattr__(self, __name: Any, __value: Any) -> None: ...
    def __str__(self) -> str: ...
    def __getattr__(self, name: str) -> Any: ...

@final
class branchobj:
    """A branching object: the branches the tree search explores at a node instead of its own."""
    def __init__(self, prob: Any, branches: Any = ..., isoriginal: Any = ...) -> None: ...
    def addbounds(self, ibranch: Any, bndtype: Any, bndcol: Any, bndval: Any) -> Any:
        """Adds bound changes to a branch."""
    def addbranches(self, nbranches: Any) -> Any:
        """Adds empty branches to the object."""
    def addcuts(self, ibranch: Any, cutind: Any) -> Any:
        """Adds cuts of the problem's cut pool to a branch."""
    def addrows(self, ibranch: Any, rtype: Any, rhs: Any, beg: Any, mcol: Any, val: Any) -> Any:
        """Adds rows to a branch."""
    def getbounds(self, ibranch: Any, nbounds_size: Any, bndtype: Any, bndcol: Any, bndval: Any) -> Any:
        """Reads the bound changes of a branch."""
    def getbranches(self) -> Any:
        """Returns the number of branches."""
    def getid(self) -> Any:
        """Returns the identifier of the object."""
    def getlasterror(self) -> Any:
        """Returns the object's last error."""
    def getrows(self, ibranch: Any, nrows_size: Any, nelems_size: Any, rtype: Any, rrhs: Any, rbeg: Any, mcol: Any, dval: Any) -> Any:
        """Reads the rows of a branch."""
    def setpreferredbranch(self, ibranch: Any) -> Any:
        """Chooses the branch explored first."""
    def setpriority(self, priority: Any) -> Any:
        """Sets the priority of the object."""
    def store(self) -> Any:
        """Hands the object to the tree search at the current node."""
    def validate(self) -> Any:
        """Checks whether the object can branch a node."""

@final
class constraint:
    """A constraint lb <= body <= ub."""
    def __bool__(self) -> bool: ...
    def __repr__(self) -> str: ...
    def __str__(self) -> str: ...
    def __init__(self, constraint: Any = ..., body: Any = ..., lb: Any = ..., ub: Any = ..., sense: Any = ..., rhs: Any = ..., name: Any = ...) -> None: ...
    body: Any
    """The body: a variable, term, expression, nonlinear expression or constant."""
    def copy(self) -> Any:
        """A copy of the constraint, with a body of its own."""
    lb: Any
    """Lower bound; -quorva.infinity for none."""
    name: Any
    """The name."""
    ub: Any
    """Upper bound; quorva.infinity for none."""

@final
class _control:
    """Controls of a problem, or the module-wide defaults (quorva.controls)"""
    def __delattr__(self, __name: Any) -> None: ...
    def __repr__(self) -> str: ...
    def __setattr__(self, __name: Any, __value: Any) -> None: ...
    def __str__(self) -> str: ...
    def __getattr__(self, name: str) -> Any: ...

@final
class _expression(_operators):
    """A linear or quadratic expression: a constant plus linear and quadratic terms."""

@final
class _linterm(_operators):
    """A linear term: a coefficient times a variable, as 2*x."""

@final
class _nonlinear(_operators):
    """A nonlinear expression: a tree of operators (products, quotients, powers, functions, maxima, minima, user functions) over variables, terms, expressions and constants. Made by the operators and by quorva.exp, quorva.sin, ..., quorva.max, quorva.min and quorva.user. Operators never change their operands, so s = s + f copies the whole sum s each time: a loop of n such steps takes time growing with n squared. Build long sums with quorva.Sum(...) or with s += f, which adds to s in place, in time linear in n."""

@final
class poolcut:
    """A cut of the optimizer library's cut pool"""

@disjoint_base
class problem:
    """An optimization problem: variables, constraints, sets, objective, solve and solution queries."""
    def __repr__(self) -> str: ...
    def __str__(self) -> str: ...
    def __init__(self, name: Any = ...) -> None: ...
    def addConstraint(self, *args: Any) -> Any:
        """Adds constraints to the problem as new rows."""
    def addIndicator(self, *args: Any) -> Any:
        """Adds indicator constraints: a constraint enforced only when a binary variable takes a value."""
    def addSOS(self, *args: Any) -> Any:
        """Adds special ordered sets to the problem."""
    def addVariable(self, *args: Any) -> Any:
        """Adds variables to the problem as new columns."""
    def addcbbariteration(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's bariteration callbacks."""
    def addcbbarlog(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's barlog callbacks."""
    def addcbchgbranchobject(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's chgbranchobject callbacks."""
    def addcbcutlog(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's cutlog callbacks."""
    def addcbdestroymt(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's destroymt callbacks."""
    def addcbgapnotify(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's gapnotify callbacks."""
    def addcbgloballog(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's globallog callbacks."""
    def addcbinfnode(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's infnode callbacks."""
    def addcbintsol(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's intsol callbacks."""
    def addcblplog(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's lplog callbacks."""
    def addcbmessage(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's message callbacks."""
    def addcbmipthread(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's mipthread callbacks."""
    def addcbnewnode(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's newnode callbacks."""
    def addcbnodecutoff(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's nodecutoff callbacks."""
    def addcboptnode(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's optnode callbacks."""
    def addcbpreintsol(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's preintsol callbacks."""
    def addcbprenode(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's prenode callbacks."""
    def addcbusersolnotify(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Adds a Python function to the problem's usersolnotify callbacks."""
    def addcols(self, objx: Any, mstart: Any, mrwind: Any, dmatval: Any, bdl: Any, bdu: Any, names: Any = ..., types: Any = ...) -> Any:
        """Appends columns to the problem."""
    def addcuts(self, mtype: Any, rtype: Any, rhs: Any, mstart: Any, mcols: Any, dmatval: Any) -> Any:
        """Adds cuts to the node being processed."""
    def adddfs(self, colindex: Any, rowindex: Any, value: Any) -> Any:
        """Sets derivative factors of (column, row) pairs."""
    def addmipsol(self, mipsolval: Any, mipsolcol: Any = ..., solname: Any = ...) -> Any:
        """Offers a solution, possibly partial, to the MIP search."""
    def addqmatrix(self, irow: Any, mqc1: Any, mqc2: Any, dqe: Any) -> Any:
        """Adds quadratic terms to a row."""
    def addrows(self, qrtype: Any, rhs: Any, mstart: Any, mclind: Any, dmatval: Any, range: Any = ..., names: Any = ...) -> Any:
        """Appends rows to the problem."""
    def addtolsets(self, tol: Any) -> Any:
        """Adds tolerance sets of nine values each."""
    def addvars(self, colindex: Any, vartype: Any, detrow: Any, seqnum: Any, tolindex: Any, initvalue: Any, stepbound: Any) -> Any:
        """Gives columns SLP settings: starting values, step bounds, tolerance sets."""
    attributes: Any
    """The problem's attributes, read by name"""
    def basisstability(self, type: Any, norm: Any, ifscaled: Any) -> Any:
        """Measures the condition of the basis matrix."""
    def btran(self, vec: Any) -> Any:
        """Solves with the transposed basis matrix."""
    def calcobjective(self, solution: Any) -> Any:
        """Computes the objective at a point."""
    def calcreducedcosts(self, duals: Any, solution: Any, calculateddjs: Any) -> Any:
        """Computes reduced costs from duals."""
    def calcslacks(self, solution: Any, calculatedslacks: Any) -> Any:
        """Computes the slack of every row at a point."""
    def calcsolinfo(self, solution: Any, dual: Any, property: Any) -> Any:
        """Measures a primal-dual pair."""
    def cascade(self) -> Any:
        """Computes the determined columns of the current point from their determining rows."""
    def cascadeorder(self) -> Any:
        """Computes the order in which the determined columns are cascaded."""
    def chgbounds(self, mindex: Any, qbtype: Any, bnd: Any) -> Any:
        """Changes bounds of columns."""
    def chgcascadenlimit(self, icol: Any, cascadenlimit: Any) -> Any:
        """Limits the Newton passes of one determined column when it is cascaded."""
    def chgcoef(self, irow: Any, icol: Any, dval: Any) -> Any:
        """Changes one coefficient of the matrix."""
    def chgcoltype(self, mindex: Any, qctype: Any) -> Any:
        """Changes the types of columns."""
    def chgdeltatype(self, vars: Any, deltatypes: Any, values: Any) -> Any:
        """Changes how the nonlinear solver bounds the steps of columns."""
    def chgdf(self, colindex: Any, rowindex: Any, value: Any) -> Any:
        """Changes the derivative factor of one (column, row) pair."""
    def chgglblimit(self, mindex: Any, dlimit: Any) -> Any:
        """Changes the thresholds of semi-continuous, semi-integer and partially integer columns."""
    def chgmcoef(self, mrow: Any, mcol: Any, dval: Any) -> Any:
        """Changes several coefficients of the matrix."""
    def chgmqobj(self, mqcol1: Any, mqcol2: Any, dval: Any) -> Any:
        """Changes several terms of the quadratic objective."""
    def chgobj(self, mindex: Any, obj: Any) -> Any:
        """Changes objective coefficients."""
    def chgobjsense(self, sense: Any) -> Any:
        """Changes the sense of the objective."""
    def chgqobj(self, icol: Any, jcol: Any, dval: Any) -> Any:
        """Changes one term of the quadratic objective."""
    def chgqrowcoeff(self, irow: Any, icol: Any, jcol: Any, dval: Any) -> Any:
        """Changes one quadratic term of a row."""
    def chgrhs(self, mindex: Any, rhs: Any) -> Any:
        """Changes right-hand sides of rows."""
    def chgrhsrange(self, mindex: Any, rng: Any) -> Any:
        """Changes the range widths of rows."""
    def chgrowstatus(self, rowindex: Any, status: Any) -> Any:
        """Changes how the nonlinear solver treats a row."""
    def chgrowtype(self, mindex: Any, qrtype: Any) -> Any:
        """Changes the types of rows."""
    def chgrowwt(self, rowindex: Any, value: Any) -> Any:
        """Changes the weight of a row's penalty in the nonlinear solver."""
    def chgtolset(self, ntol: Any, status: Any, tols: Any) -> Any:
        """Changes one tolerance set."""
    def chgvar(self, colindex: Any, detrow: Any = ..., initstepbound: Any = ..., stepbound: Any = ..., penalty: Any = ..., damp: Any = ..., initvalue: Any = ..., value: Any = ..., tolset: Any = ..., history: Any = ..., converged: Any = ..., vartype: Any = ...) -> Any:
        """Changes SLP settings of one column."""
    controls: Any
    """The problem's controls, read and set by name"""
    def copy(self) -> Any:
        """Returns a copy of the problem."""
    def copycallbacks(self, src: Any) -> Any:
        """Gives this problem the callbacks of another problem."""
    def copycontrols(self, src: Any) -> Any:
        """Copies the control values of another problem into this one."""
    def delConstraint(self, index: Any = ..., first: Any = ..., last: Any = ...) -> Any:
        """Deletes constraints from the problem."""
    def delSOS(self, index: Any = ..., first: Any = ..., last: Any = ...) -> Any:
        """Deletes special ordered sets from the problem."""
    def delVariable(self, index: Any = ..., first: Any = ..., last: Any = ...) -> Any:
        """Deletes variables from the problem."""
    def delcpcuts(self, itype: Any, interp: Any, cutind: Any) -> Any:
        """Deletes cuts from the cut pool."""
    def delcuts(self, ibasis: Any, itype: Any, interp: Any, delta: Any, cutind: Any) -> Any:
        """Removes cuts from the node being processed."""
    def delqmatrix(self, row: Any) -> Any:
        """Removes every quadratic term of a row, or of the objective."""
    def deltolsets(self, index: Any) -> Any:
        """Deletes tolerance sets."""
    def delvars(self, index: Any) -> Any:
        """Removes the SLP settings of columns."""
    def dumpcontrols(self) -> Any:
        """Prints the controls that differ from their defaults as messages."""
    def estimaterowdualranges(self, rowIndices: Any, iterationLimit: Any, minDualActivity: Any, maxDualActivity: Any) -> Any:
        """Bounds the duals of rows as their right-hand sides leave their ranges."""
    def evaluatecoef(self, rowindex: Any, colindex: Any) -> Any:
        """Evaluates a formula coefficient at the current point."""
    def evaluateformula(self, parsed: Any, type: Any, value: Any) -> Any:
        """Evaluates a formula given as tokens at the current point."""
    def filesol(self, filename: Any) -> Any:
        """Writes the last nonlinear solution to a comma-separated file."""
    def fixglobals(self, ifround: Any) -> Any:
        """Fixes the discrete columns at the last MIP solution."""
    def fixpenalties(self) -> Any:
        """Fixes the cost of the penalty error vectors for the next solve."""
    def ftran(self, vec: Any) -> Any:
        """Solves with the basis matrix."""
    def getAttrib(self, *args: Any) -> Any:
        """Returns the value of one or more attributes of the problem."""
    def getConstraint(self, index: Any = ..., first: Any = ..., last: Any = ...) -> Any:
        """Returns constraints of the problem by row index."""
    def getControl(self, *args: Any) -> Any:
        """Returns the value of one or more controls of the problem."""
    def getDual(self, *args: Any) -> Any:
        """Returns dual values of the constraints in the last LP or QP solution."""
    def getIndex(self, obj: Any) -> Any:
        """Returns the index of a variable, constraint or SOS in the problem."""
    def getIndexFromName(self, type: Any, name: Any) -> Any:
        """Returns the index of a row, column or set by name."""
    def getObjVal(self) -> Any:
        """Returns the objective value of the last solve."""
    def getProbStatus(self) -> Any:
        """Returns the status of the last solve as a number."""
    def getProbStatusString(self) -> Any:
        """Returns the status of the last solve as a name."""
    def getRCost(self, *args: Any) -> Any:
        """Returns reduced costs of the variables in the last LP or QP solution."""
    def getSOS(self, index: Any = ..., first: Any = ..., last: Any = ...) -> Any:
        """Returns special ordered sets of the problem by set index."""
    def getSlack(self, *args: Any) -> Any:
        """Returns slacks of the constraints in the last solution."""
    def getSolution(self, *args: Any) -> Any:
        """Returns values of the variables in the last solution."""
    def getVariable(self, index: Any = ..., first: Any = ..., last: Any = ...) -> Any:
        """Returns variables of the problem by column index."""
    def getattribinfo(self, name: Any) -> Any:
        """Returns the identifier and type of an attribute."""
    def getbasis(self, rstatus: Any, cstatus: Any) -> Any:
        """Reads the basis statuses of the rows and columns."""
    def getcoef(self, irow: Any, icol: Any) -> Any:
        """Returns one coefficient of the matrix."""
    def getcoefformula(self, rowindex: Any, colindex: Any, parsed: Any, bufsize: Any) -> Any:
        """Reads the formula of a coefficient as tokens."""
    def getcolinfo(self, infotype: Any, colindex: Any) -> Any:
        """Reads what the nonlinear solver knows about a column."""
    def getcols(self, mstart: Any, mrwind: Any, dmatval: Any, size: Any, first: Any, last: Any) -> Any:
        """Reads the matrix column-wise over a range of columns."""
    def getcoltype(self, coltype: Any, first: Any, last: Any) -> Any:
        """Reads the types of a range of columns."""
    def getcontrolinfo(self, name: Any) -> Any:
        """Returns the identifier and type of a control."""
    def getcpcutlist(self, itype: Any, interp: Any, delta: Any, size: Any, cutind: Any, viol: Any) -> Any:
        """Lists pool cuts that the current solution violates."""
    def getcpcuts(self, index: Any, size: Any, type: Any, rtype: Any, mstart: Any, mcols: Any, dmatval: Any, drhs: Any) -> Any:
        """Reads pool cuts."""
    def getcutlist(self, itype: Any, interp: Any, size: Any, cutind: Any) -> Any:
        """Lists the cuts of the node being processed."""
    def getcutmap(self, cuts: Any, cutmap: Any) -> Any:
        """Finds the rows of cuts in the node being processed."""
    def getcutslack(self, cut: Any) -> Any:
        """Returns the slack of a cut at the current solution."""
    def getdf(self, colindex: Any, rowindex: Any) -> Any:
        """Reads the derivative factor of one (column, row) pair."""
    def getdirs(self, mcols: Any, mpri: Any, qbr: Any, dupc: Any, ddpc: Any) -> Any:
        """Reads the branching directives."""
    def getdtime(self) -> Any:
        """Reads the nonlinear solver's clock."""
    def getdualray(self, dray: Any) -> Any:
        """Reads a dual ray of an infeasible problem."""
    def getglobal(self, qgtype: Any, mgcols: Any, dlim: Any, qstype: Any, msstart: Any, mscols: Any, dref: Any) -> Any:
        """Reads the discrete columns and the special ordered sets."""
    def getiisdata(self, num: Any, miisrow: Any, miiscol: Any, constrainttype: Any, colbndtype: Any, duals: Any, rdcs: Any, isolationrows: Any, isolationcols: Any) -> Any:
        """Reads one subsystem."""
    def getindicators(self, inds: Any, comps: Any, first: Any, last: Any) -> Any:
        """Reads the indicator columns and complement flags of a range of rows."""
    def getinfeas(self, mx: Any, mslack: Any, mdual: Any, mdj: Any) -> Any:
        """Reads the infeasibilities of the current solution."""
    def getlasterror(self) -> Any:
        """Returns the library's last error text for the problem."""
    def getlb(self, lb: Any, first: Any = ..., last: Any = ...) -> Any:
        """Reads lower bounds of columns."""
    def getlpsol(self, x: Any = ..., slack: Any = ..., dual: Any = ..., dj: Any = ...) -> Any:
        """Reads the LP solution."""
    def getmessagestatus(self, errcode: Any) -> Any:
        """Tells whether a message of the library is shown."""
    def getmessagetype(self, code: Any) -> Any:
        """Gives the message type a return code of the library is reported with."""
    def getmipsol(self, x: Any = ..., slack: Any = ...) -> Any:
        """Reads the best MIP solution."""
    def getmqobj(self, mstart: Any, mclind: Any, dobjval: Any, size: Any, first: Any, last: Any) -> Any:
        """Reads the quadratic objective over a range of columns."""
    def getobj(self, obj: Any, first: Any, last: Any) -> Any:
        """Reads the objective coefficients of a range of columns."""
    def getpivotorder(self, mpiv: Any) -> Any:
        """Reads which variable is basic at each position of the basis matrix."""
    def getpivots(self, __in: Any, outlist: Any, x: Any, maxpiv: Any) -> Any:
        """Runs the ratio test of a non-basic row or column entering the current basis."""
    def getpresolvebasis(self, rstatus: Any, cstatus: Any) -> Any:
        """Reads the basis statuses of the rows and columns of the presolved problem."""
    def getpresolvemap(self, rowmap: Any, colmap: Any) -> Any:
        """Reads which original row and column each row and column of the presolved problem is."""
    def getpresolvesol(self, x: Any = ..., slack: Any = ..., dual: Any = ..., dj: Any = ...) -> Any:
        """Reads the LP solution of the presolved problem."""
    def getprimalray(self, ray: Any) -> Any:
        """Reads a primal ray of an unbounded problem."""
    def getqobj(self, icol: Any, jcol: Any) -> Any:
        """Returns one coefficient of the quadratic objective."""
    def getqrowcoeff(self, irow: Any, icol: Any, jcol: Any) -> Any:
        """Returns one quadratic coefficient of a row."""
    def getqrowqmatrix(self, irow: Any, mstart: Any, mclind: Any, dqe: Any, size: Any, first: Any, last: Any) -> Any:
        """Reads the quadratic matrix of a row over a range of columns."""
    def getqrowqmatrixtriplets(self, irow: Any, mqcol1: Any = ..., mqcol2: Any = ..., dqe: Any = ...) -> Any:
        """Reads the quadratic terms of a row as triplets."""
    def getqrows(self, qcrows: Any) -> Any:
        """Reads the rows that have quadratic terms."""
    def getrhs(self, rhs: Any, first: Any, last: Any) -> Any:
        """Reads the right-hand sides of a range of rows."""
    def getrhsrange(self, range: Any, first: Any, last: Any) -> Any:
        """Reads the range widths of a range of rows."""
    def getrowinfo(self, infotype: Any, rowindex: Any) -> Any:
        """Reads what the nonlinear solver knows about a row."""
    def getrows(self, mstart: Any, mclind: Any, dmatval: Any, size: Any, first: Any, last: Any) -> Any:
        """Reads the matrix row-wise over a range of rows."""
    def getrowstatus(self, rowindex: Any) -> Any:
        """Reads the status word of a row."""
    def getrowtype(self, qrtype: Any, first: Any, last: Any) -> Any:
        """Reads the types of a range of rows."""
    def getrowwt(self, rowindex: Any) -> Any:
        """Reads the penalty weight of a row."""
    def getscaledinfeas(self, mx: Any, mslack: Any, mdual: Any, mdj: Any) -> Any:
        """Reads the infeasibilities of the current solution of the scaled problem."""
    def getslpsol(self, x: Any = ..., slack: Any = ..., dual: Any = ..., dj: Any = ...) -> Any:
        """Reads the last nonlinear solution."""
    def gettolset(self, nslptol: Any, tols: Any) -> Any:
        """Reads one tolerance set."""
    def getub(self, ub: Any, first: Any = ..., last: Any = ...) -> Any:
        """Reads upper bounds of columns."""
    def getunbvec(self) -> Any:
        """Returns the constraint or variable of the unbounded direction."""
    def getvar(self, colindex: Any) -> Any:
        """Reads the SLP settings and state of one column."""
    def globalsol(self) -> Any:
        """Solves the problem by branch-and-bound with a nonlinear solve at every node."""
    def hasdualray(self) -> Any:
        """Tells whether a dual ray is known."""
    def hasprimalray(self) -> Any:
        """Tells whether a primal ray is known."""
    def iisall(self) -> Any:
        """Finds every subsystem."""
    def iisclear(self) -> Any:
        """Forgets the subsystems found."""
    def iisfirst(self, iismode: Any) -> Any:
        """Finds a first irreducible infeasible subsystem (IIS)."""
    def iisisolations(self, num: Any) -> Any:
        """Marks the members of a subsystem that belong to no other one found."""
    def iisnext(self) -> Any:
        """Finds a further subsystem, different from each one found."""
    def iisstatus(self, rowsizes: Any, colsizes: Any, suminfeas: Any, numinfeas: Any) -> Any:
        """Gives the number and sizes of the subsystems found."""
    def iiswrite(self, num: Any, fn: Any, type: Any, typeflags: Any) -> Any:
        """Writes a subsystem to a file."""
    def interrupt(self, reason: Any) -> Any:
        """Asks a running solve of the problem to stop."""
    def loadbasis(self, rstatus: Any, cstatus: Any) -> Any:
        """Loads a starting basis."""
    def loadbranchdirs(self, mcols: Any, mbranch: Any = ...) -> Any:
        """Sets which branch the tree search explores first for some variables."""
    def loadcuts(self, itype: Any, interp: Any, cutind: Any) -> Any:
        """Loads pool cuts into the node being processed."""
    def loaddelayedrows(self, mrows: Any) -> Any:
        """Marks rows that need not be in the LP until a candidate solution violates them."""
    def loaddfs(self, colindex: Any, rowindex: Any, value: Any) -> Any:
        """Replaces every derivative factor by the ones given."""
    def loaddirs(self, mcols: Any, mpri: Any = ..., qbr: Any = ..., dupc: Any = ..., ddpc: Any = ...) -> Any:
        """Loads branching directives for the tree search, replacing those loaded before."""
    def loadlpsol(self, x: Any = ..., slack: Any = ..., dual: Any = ..., dj: Any = ...) -> Any:
        """Loads an LP solution."""
    def loadmipsol(self, dsol: Any) -> Any:
        """Loads a full MIP solution."""
    def loadmodelcuts(self, mrows: Any) -> Any:
        """Marks rows as model cuts, which the solve may leave out until violated."""
    def loadpresolvebasis(self, rstatus: Any, cstatus: Any) -> Any:
        """Loads a starting basis given over the presolved problem."""
    def loadpresolvedirs(self, mcols: Any, mpri: Any = ..., qbr: Any = ..., dupc: Any = ..., ddpc: Any = ...) -> Any:
        """Loads branching directives for the columns of the presolved problem."""
    def loadproblem(self, probname: Any, qrtypes: Any, rhs: Any, range: Any, obj: Any, mstart: Any, mnel: Any, mrwind: Any, dmatval: Any, dlb: Any, dub: Any, mqcol1: Any = ..., mqcol2: Any = ..., dqe: Any = ..., qcrows: Any = ..., qcnquads: Any = ..., qcmqcol1: Any = ..., qcmqcol2: Any = ..., qcdqval: Any = ..., qgtype: Any = ..., mgcols: Any = ..., dlim: Any = ..., qstype: Any = ..., msstart: Any = ..., mscols: Any = ..., dref: Any = ..., colnames: Any = ..., rownames: Any = ...) -> Any:
        """Loads a whole problem, replacing the problem's contents."""
    def loadsecurevecs(self, mrow: Any, mcol: Any) -> Any:
        """Names the rows and columns that presolve must keep."""
    def loadtolsets(self, tol: Any) -> Any:
        """Replaces every tolerance set by those given."""
    def loadvars(self, colindex: Any, vartype: Any, detrow: Any, seqnum: Any, tolindex: Any, initvalue: Any, stepbound: Any) -> Any:
        """Replaces the SLP settings of every column by those given."""
    def lpoptimize(self, flags: Any = ...) -> Any:
        """Solves the problem's LP relaxation in the library."""
    def mipoptimize(self, flags: Any = ...) -> Any:
        """Solves the problem with its discrete columns and sets in the library."""
    def msaddcustompreset(self, description: Any, preset: Any, count: Any, ivcols: Any, ivvalues: Any, control: Any, job_object: Any) -> Any:
        """Adds the multistart jobs of a preset with initial values and controls of its own."""
    def msaddjob(self, description: Any, ivcols: Any, ivvalues: Any, control: Any, job_object: Any) -> Any:
        """Adds a multistart job: initial values and control settings for one solve."""
    def msaddpreset(self, description: Any, preset: Any, count: Any, job_object: Any) -> Any:
        """Adds the multistart jobs of a preset."""
    def msclear(self) -> Any:
        """Removes every multistart job."""
    def name(self) -> Any:
        """Returns the name of the problem."""
    def nlpoptimize(self, flags: Any = ...) -> Any:
        """Solves the problem with the nonlinear solver."""
    def objsa(self, mindex: Any, lower: Any, upper: Any) -> Any:
        """Ranges objective coefficients over the optimal basis."""
    def parsecformula(self, formula: Any, type: Any, value: Any) -> Any:
        """Parses a formula written as text into parsed (postfix) tokens."""
    def parseformula(self, intype: Any, invalue: Any, type: Any, value: Any) -> Any:
        """Turns unparsed tokens (reading order, with brackets and delimiters) into parsed ones."""
    def postsolve(self) -> Any:
        """Takes the problem out of a presolved state."""
    def preparseformula(self, formula: Any) -> Any:
        """Splits a formula text into unparsed tokens."""
    def presolve(self) -> Any:
        """Makes the nonlinear solves presolve the problem first."""
    def presolverow(self, qrtype: Any, mcolso: Any, dvalo: Any, drhso: Any, maxcoeffs: Any, mcolsp: Any, dvalp: Any) -> Any:
        """Presolves one row against the problem's column bounds."""
    def printevalinfo(self) -> Any:
        """Writes what evaluating the nonlinear parts cost to the log."""
    def printmemory(self) -> Any:
        """Writes the memory the problem holds to the log."""
    def read(self, filename: Any, options: Any = ...) -> Any:
        """Reads a problem from a file, replacing the problem's contents."""
    def readbasis(self, filename: Any, flags: Any = ...) -> Any:
        """Reads a starting basis from an MPS basis file."""
    def readbinsol(self, filename: Any, flags: Any = ...) -> Any:
        """Reads a solution written by writebinsol as the problem's solution."""
    def readdirs(self, filename: Any) -> Any:
        """Reads branching directives from a directive file."""
    def readslxsol(self, filename: Any, flags: Any = ...) -> Any:
        """Reads a text solution file as a starting solution for the next MIP solve."""
    def refinemipsol(self, options: Any, flags: Any, solution: Any, refined_solution: Any) -> Any:
        """Polishes a MIP solution: its discrete decisions fixed, the continuous columns re-optimised."""
    def reinitialize(self) -> Any:
        """Returns the nonlinear solver to its state before any solve."""
    def removecbbariteration(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's bariteration callbacks."""
    def removecbbarlog(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's barlog callbacks."""
    def removecbchgbranchobject(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's chgbranchobject callbacks."""
    def removecbcutlog(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's cutlog callbacks."""
    def removecbdestroymt(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's destroymt callbacks."""
    def removecbgapnotify(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's gapnotify callbacks."""
    def removecbgloballog(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's globallog callbacks."""
    def removecbinfnode(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's infnode callbacks."""
    def removecbintsol(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's intsol callbacks."""
    def removecblplog(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's lplog callbacks."""
    def removecbmessage(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's message callbacks."""
    def removecbmipthread(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's mipthread callbacks."""
    def removecbnewnode(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's newnode callbacks."""
    def removecbnodecutoff(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's nodecutoff callbacks."""
    def removecboptnode(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's optnode callbacks."""
    def removecbpreintsol(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's preintsol callbacks."""
    def removecbprenode(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's prenode callbacks."""
    def removecbusersolnotify(self, callback: Any = ..., data: Any = ...) -> Any:
        """Removes functions from the problem's usersolnotify callbacks."""
    def repairinfeas(self, pflags: Any, oflags: Any, gflags: Any, lrp: Any, grp: Any, lbp: Any, ubp: Any, delta: Any) -> Any:
        """Relaxes an infeasible problem by the least weighted violation and solves it."""
    def repairweightedinfeas(self, lrp_array: Any, grp_array: Any, lbp_array: Any, ubp_array: Any, phase2: Any, delta: Any, optflags: Any) -> Any:
        """As repairinfeas, with a preference per row side and bound."""
    def repairweightedinfeasbounds(self, lrp_array: Any, grp_array: Any, lbp_array: Any, ubp_array: Any, lrb_array: Any, grb_array: Any, lbb_array: Any, ubb_array: Any, phase2: Any, delta: Any, optflags: Any) -> Any:
        """As repairweightedinfeas, with a largest relaxation per row side and bound."""
    def reset(self) -> Any:
        """Empties the problem."""
    def restore(self, probname: Any, flags: Any = ...) -> Any:
        """Makes the library problem the one saved under a name."""
    def rhssa(self, mindex: Any, lower: Any, upper: Any) -> Any:
        """Ranges right-hand sides over the optimal basis."""
    def save(self) -> Any:
        """Saves the whole library problem to a file named after it."""
    def scale(self, mrscal: Any = ..., mcscal: Any = ...) -> Any:
        """Scales the rows and columns of the problem's next solves by powers of two."""
    def scaling(self) -> Any:
        """Scales the rows and columns of the nonlinear solves' linearizations."""
    def setControl(self, *args: Any) -> Any:
        """Sets one or more controls of the problem."""
    def setObjective(self, objective: Any, sense: Any = ...) -> Any:
        """Sets the objective function of the problem."""
    def setbranchbounds(self, mindex: Any) -> Any:
        """Adds a branch of stored bound changes to the node being processed."""
    def setbranchcuts(self, mindex: Any) -> Any:
        """Gives cuts to every child of the node being processed."""
    def setcbcascadeend(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's cascadeend callback for nonlinear solves."""
    def setcbcascadestart(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's cascadestart callback for nonlinear solves."""
    def setcbcascadevar(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's cascadevar callback for nonlinear solves."""
    def setcbcascadevarfail(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's cascadevarfail callback for nonlinear solves."""
    def setcbcoefevalerror(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's coefevalerror callback for nonlinear solves."""
    def setcbconstruct(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's construct callback for nonlinear solves."""
    def setcbdestroy(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's destroy callback for nonlinear solves."""
    def setcbdrcol(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's drcol callback for nonlinear solves."""
    def setcbformula(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's formula callback for nonlinear solves."""
    def setcbiterend(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's iterend callback for nonlinear solves."""
    def setcbiterstart(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's iterstart callback for nonlinear solves."""
    def setcbitervar(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's itervar callback for nonlinear solves."""
    def setcbmsjobend(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's msjobend callback for nonlinear solves."""
    def setcbmsjobstart(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's msjobstart callback for nonlinear solves."""
    def setcbmswinner(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's mswinner callback for nonlinear solves."""
    def setcbslpend(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's slpend callback for nonlinear solves."""
    def setcbslpnode(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's slpnode callback for nonlinear solves."""
    def setcbslpstart(self, callback: Any, data: Any = ..., priority: Any = ...) -> Any:
        """Sets the Python function of the problem's slpstart callback for nonlinear solves."""
    def setcurrentiv(self) -> Any:
        """Makes the last nonlinear solution the initial values of every column."""
    def setdefaultcontrol(self, name: Any) -> Any:
        """Gives one control of the problem its default value back."""
    def setdefaults(self) -> Any:
        """Gives every control of the problem its default value back."""
    def setindicators(self, mrows: Any, inds: Any, comps: Any) -> Any:
        """Makes rows indicator rows of binary columns."""
    def setlogfile(self, filename: Any) -> Any:
        """Also writes the problem's messages to a file."""
    def setmessagestatus(self, errcode: Any, status: Any) -> Any:
        """Shows or suppresses one message of the library."""
    def setprobname(self, probname: Any) -> Any:
        """Renames the problem."""
    def setuniqueprefix(self) -> Any:
        """Chooses a prefix for the names of the engine's own rows and columns."""
    def solve(self, flags: Any = ...) -> Any:
        """Solves the problem."""
    def storebounds(self, mcols: Any, type: Any, bds: Any) -> Any:
        """Stores bound changes for branching."""
    def storecuts(self, nodupl: Any, mtype: Any, rtype: Any, rhs: Any, mstart: Any, mindex: Any, mcols: Any, dmatval: Any) -> Any:
        """Stores cuts in the cut pool."""
    def strongbranch(self, mbndind: Any, cbndtype: Any, dbndval: Any, itrlimit: Any, dsbobjval: Any, msbstatus: Any) -> Any:
        """Solves the LP once per bound change, each from the current optimal basis."""
    def strongbranchcb(self, bndind: Any, bndtype: Any, bndval: Any, itrlimit: Any, objval: Any, status: Any, sbsolvecb: Any, vContext: Any) -> Any:
        """Strong branching with a function called for each candidate."""
    def tokencount(self, record: Any) -> Any:
        """Counts the unparsed tokens of a formula text."""
    def tune(self, flags: Any = ...) -> Any:
        """Tries settings on the problem and leaves the fastest set."""
    def tunerreadmethod(self, methodfile: Any) -> Any:
        """Reads the list of trials the tuner runs from a file."""
    def tunerwritemethod(self, methodfile: Any) -> Any:
        """Writes the list of trials the tuner runs to a file."""
    def updatelinearization(self) -> Any:
        """Writes the linearization at the current point into the problem."""
    def validate(self) -> Any:
        """Validates the last nonlinear solution against every row and bound."""
    def validatekkt(self, calculationmode: Any, respectbasisstatus: Any, updatemultipliers: Any, kktviolationtarget: Any) -> Any:
        """Measures the KKT residual of the last nonlinear solution."""
    def validaterow(self, row: Any) -> Any:
        """Validates one row at the last nonlinear solution."""
    def validatevector(self, vector: Any) -> Any:
        """Checks a point given as one value per column."""
    def validformula(self, type: Any, value: Any) -> Any:
        """Checks a parsed formula at the current point."""
    def write(self, filename: Any, options: Any = ...) -> Any:
        """Writes the problem to a file."""
    def writebasis(self, filename: Any = ..., flags: Any = ...) -> Any:
        """Writes the current basis as an MPS basis file."""
    def writebinsol(self, filename: Any, flags: Any = ...) -> Any:
        """Writes the whole solution to a binary file."""
    def writedirs(self, filename: Any) -> Any:
        """Writes the branching directives to a directive file."""
    def writeprtsol(self, filename: Any, flags: Any = ...) -> Any:
        """Writes a readable report of the solution."""
    def writeslxsol(self, filename: Any, flags: Any = ...) -> Any:
        """Writes the solution's column values as a text solution file."""
    def writesol(self, filename: Any, flags: Any = ...) -> Any:
        """Writes the solution as comma-separated values."""

@final
class _quadterm(_operators):
    """A quadratic term: a coefficient times two variables, as 3*x*y."""

@final
class sos:
    """A special ordered set of type 1 (at most one member non-zero) or 2 (at most two adjacent members)."""
    def __repr__(self) -> str: ...
    def __str__(self) -> str: ...
    def __init__(self, indices: Any, weights: Any, type: Any = ..., name: Any = ...) -> None: ...
    def copy(self) -> Any:
        """A copy of the set with lists of its own."""
    name: Any
    """The name."""

@final
class var:
    """A decision variable of an optimization problem."""
    def __abs__(self) -> Any: ...
    def __add__(self, __value: Any) -> Any: ...
    def __eq__(self, __value: Any) -> Any: ...
    def __ge__(self, __value: Any) -> Any: ...
    def __gt__(self, __value: Any) -> Any: ...
    def __hash__(self) -> int: ...
    def __itruediv__(self, __value: Any) -> Any: ...
    def __le__(self, __value: Any) -> Any: ...
    def __lt__(self, __value: Any) -> Any: ...
    def __mul__(self, __value: Any) -> Any: ...
    def __ne__(self, __value: Any) -> Any: ...
    def __neg__(self) -> Any: ...
    def __pow__(self, __value: Any, __mod: Any = ...) -> Any: ...
    def __radd__(self, __value: Any) -> Any: ...
    def __repr__(self) -> str: ...
    def __rmul__(self, __value: Any) -> Any: ...
    def __rpow__(self, __value: Any, __mod: Any = ...) -> Any: ...
    def __rsub__(self, __value: Any) -> Any: ...
    def __rtruediv__(self, __value: Any) -> Any: ...
    def __str__(self) -> str: ...
    def __sub__(self, __value: Any) -> Any: ...
    def __truediv__(self, __value: Any) -> Any: ...
    def __init__(self, name: Any = ..., lb: Any = ..., ub: Any = ..., threshold: Any = ..., vartype: Any = ...) -> None: ...
    lb: Any
    """Lower bound."""
    name: Any
    """The variable's name (str or bytes)."""
    threshold: Any
    """Threshold of a semi-continuous, semi-integer or partially integer variable."""
    ub: Any
    """Upper bound."""
    vartype: Any
    """Variable type: quorva.continuous, binary, integer, semicontinuous, semiinteger or partiallyinteger."""

def Dot(*args: Any, out: Any = ...) -> Any:
    """The tensor dot product of NumPy arrays whose elements may be modeling objects."""
def Prod(*args: Any) -> Any:
    """The product of a collection of variables, terms, expressions, nonlinear expressions or numbers."""
def Sum(*args: Any) -> Any:
    """The sum of a collection of variables, terms, expressions, nonlinear expressions, numbers or arrays."""
def abs(x: Any) -> Any:
    """The absolute value of a number, of every element of a NumPy array, or of a modeling expression."""
def acos(x: Any) -> Any:
    """The arc cosine of a number, of every element of a NumPy array, or of a modeling expression."""
def addcbmsghandler(msghandler: Any, data: Any, priority: Any) -> Any:
    """Adds a handler that receives every message of the optimizer environment."""
def asin(x: Any) -> Any:
    """The arc sine of a number, of every element of a NumPy array, or of a modeling expression."""
def atan(x: Any) -> Any:
    """The arc tangent of a number, of every element of a NumPy array, or of a modeling expression."""
basis_basic: int
basis_nonbasic_lower: int
basis_nonbasic_upper: int
basis_superbasic: int
binary: int
colinfo_delta: int
colinfo_deltadj: int
colinfo_deltaindex: int
colinfo_rdj: int
colinfo_sb: int
colinfo_sbdual: int
colinfo_updaterow: int
colinfo_value: int
continuous: int
controls: _control
def cos(x: Any) -> Any:
    """The cosine of a number, of every element of a NumPy array, or of a modeling expression."""
eq: int
def erf(x: Any) -> Any:
    """The error function of a number, of every element of a NumPy array, or of a modeling expression."""
def erfc(x: Any) -> Any:
    """The complementary error function of a number, of every element of a NumPy array, or of a modeling expression."""
def exp(x: Any) -> Any:
    """The exponential of a number, of every element of a NumPy array, or of a modeling expression."""
def free() -> Any:
    """Frees the optimizer environment."""
geq: int
def getbanner() -> Any:
    """Returns the banner of the optimizer library."""
def getcheckedmode() -> Any:
    """Tells whether the library checks every argument of every call."""
def getlasterror() -> Any:
    """Returns the last error of the optimizer environment."""
def getversion() -> Any:
    """Returns the version of the optimizer library."""
infinity: float
def init() -> Any:
    """Starts the optimizer environment, even when it is already on."""
integer: int
leq: int
def log(x: Any) -> Any:
    """The natural logarithm of a number, of every element of a NumPy array, or of a modeling expression."""
def log10(x: Any) -> Any:
    """The base-10 logarithm of a number, of every element of a NumPy array, or of a modeling expression."""
lp_cutoff: int
lp_cutoff_in_dual: int
lp_infeas: int
lp_nonconvex: int
lp_optimal: int
lp_unbounded: int
lp_unfinished: int
lp_unsolved: int
lp_unstarted: int
def max(*args: Any) -> Any:
    """The maximum of its arguments, as a nonlinear expression."""
maximize: int
def min(*args: Any) -> Any:
    """The minimum of its arguments, as a nonlinear expression."""
minimize: int
mip_infeas: int
mip_lp_not_optimal: int
mip_lp_optimal: int
mip_no_sol_found: int
mip_not_loaded: int
mip_optimal: int
mip_solution: int
mip_unbounded: int
msset_initialfiltered: int
msset_initialvalues: int
msset_knitro_basic: int
msset_knitro_extended: int
msset_slp_basic: int
msset_slp_extended: int
msset_solvers: int
nlp_globally_optimal: int
nlp_infeasible: int
nlp_locally_infeasible: int
nlp_locally_optimal: int
nlp_solution: int
nlp_unbounded: int
nlp_unfinished: int
nlp_unstarted: int
partiallyinteger: int
range: int
def removecbmsghandler(msghandler: Any, data: Any) -> Any:
    """Removes global message handlers."""
rowinfo_currentpenaltyerror: int
rowinfo_currentpenaltyfactor: int
rowinfo_dual: int
rowinfo_maxpenaltyerror: int
rowinfo_numpenaltyerrors: int
rowinfo_penaltycolumnminus: int
rowinfo_penaltycolumnminusdj: int
rowinfo_penaltycolumnminusvalue: int
rowinfo_penaltycolumnplus: int
rowinfo_penaltycolumnplusdj: int
rowinfo_penaltycolumnplusvalue: int
rowinfo_slack: int
rowinfo_totalpenaltyerror: int
semicontinuous: int
semiinteger: int
def setcheckedmode(checked_mode: Any) -> Any:
    """Switches the library's checked mode on or off."""
def setdefaultcontrol(name: Any) -> Any:
    """Removes one module-wide control value."""
def setdefaults() -> Any:
    """Removes every module-wide control value."""
def sign(x: Any) -> Any:
    """The sign (-1, 0 or 1) of a number, of every element of a NumPy array, or of a modeling expression."""
def sin(x: Any) -> Any:
    """The sine of a number, of every element of a NumPy array, or of a modeling expression."""
solinfo_absdualinfeas: int
solinfo_absprimalinfeas: int
solinfo_maxmipfractional: int
solinfo_reldualinfeas: int
solinfo_relprimalinfeas: int
def sqrt(x: Any) -> Any:
    """The square root of a number, of every element of a NumPy array, or of a modeling expression."""
stop_ctrlc: int
stop_iterlimit: int
stop_mipgap: int
stop_nodelimit: int
stop_sollimit: int
stop_timelimit: int
stop_user: int
def tan(x: Any) -> Any:
    """The tangent of a number, of every element of a NumPy array, or of a modeling expression."""
type_double: int
type_int: int
type_int64: int
type_notdefined: int
type_string: int
def user(*args: Any, derivatives: Any = ...) -> Any:
    """A call of a Python function inside a nonlinear expression."""
def vars(*indices: Any, name: Any = ..., lb: Any = ..., ub: Any = ..., threshold: Any = ..., vartype: Any = ...) -> Any:
    """A family of variables indexed by one or more index sets."""
