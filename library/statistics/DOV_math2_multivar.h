#pragma once
// Multivariate analysis on a TMatrix with one row per object and one column per variable:
// association matrices, Jacobi eigenvalues with a unit-wide result store, principal
// components, the Mahalanobis distance, nearest-neighbour distances, searches and estimates,
// centres by successive merging, k-means clustering, Gaussian kernels and vertex component
// analysis. Distances are Euclidean over all columns unless stated.
//
// Process-wide state: ProcStat, MathFeedBackProc and AbortMathProc (progress and abort), the
// run-time generator (k-means with a seed, vertex component analysis) and the eigen result
// store. The store holds one result at a time and is not guarded: CalcEigVec and CalcPrincComp
// must not run on two threads at once.

#include <functional>

#include "DOV_statis.h"

class TIntVector;

enum TKnnWMode { kwmGauss, kwmAverage, kwmMedian, kwmLinear, kwmBiQuad };

// Mode 0 cross products, 1 covariance, 2 correlation (diagonal 1), 3 squared correlation,
// 4 mean squared difference; other modes 0. All over n - 1. LoC = HiC = 0 (LoR = HiR = 0)
// select all columns (rows). False when OutMat is smaller than nv x nv, fewer than two rows
// are selected, or the run was aborted. Clears AbortMathProc on entry.
bool CalcCovar(const TMatrix* InMat, TMatrix* OutMat, Integer LoC, Integer HiC, Integer LoR,
               Integer HiR, Integer Mode);

// Cyclic Jacobi method on the symmetric matrix Mat (n = its columns, at most 10000): the
// eigenvalues (unsorted) and eigenvectors go to the store; the upper triangle of Mat is
// overwritten. False when not converged within 100 checks or aborted. Clears AbortMathProc.
bool CalcEigVec(TMatrix* Mat);
// Component 0: eigenvalue EigNum; 1 .. n: that component of eigenvector EigNum; 0 when the
// store is empty or an index is out of range.
double GetEigenResult(Integer EigNum, Integer Component);
Integer GetEigenSize();
void RemoveEigenMatrix();
// CalcCovar with Mode, then CalcEigVec; Scaled divides the eigenvalues by the sum of their
// absolute values. The positive eigenvalues are then sorted descending (with their vectors).
bool CalcPrincComp(const TMatrix* InMat, Integer LoC, Integer HiC, Integer LoR, Integer HiR,
                   Integer Mode, bool Scaled = true);

// sqrt((x - y)^T InvCov (x - y)); ESDLVectorError for mismatched sizes and a negative form.
double MahalanobisDistance(const TVector* x, const TVector* y, const TMatrix* InvCov);
// Dist[i] := mean distance of object i to its k (1 .. 50) nearest objects of the range, itself
// included. Dist is not resized.
void MeanDistanceKNN(const TMatrix* InMat, Integer k, Integer FirstObj, Integer LastObj,
                     TVector* Dist);
// Merges the closest pair of rows of the range (weighted means, the first pair on ties) until
// NumCenters remain; rows 1 .. NumCenters of Centers get them (over Centers' columns, not
// resized), MeanDist the mean distance of a centre to its nearest other centre (1e5 for a
// single one). Works on a copy: InMat and the working folder stay as they were.
void FindCenters(const TMatrix* InMat, Integer FirstObj, Integer LastObj, Integer NumCenters,
                 TMatrix* Centers, double& MeanDist);
// k-means from objects 1 .. NumClust (RandSeed 0), or from objects drawn with the generator
// seeded with RandSeed (> 0: this sets the process seed). Classes is read as the previous
// state. Clusters are renumbered by size, largest first. Returns the sum of squared distances
// to the centres (0 when aborted). Raises ESDLMath2Error for more clusters than objects (or
// fewer than one), and after filling the outputs when 1001 passes did not settle.
double kMeansClustering(const TMatrix* DataMat, Integer Unused1, Integer Unused2, Integer NumClust,
                        Integer RandSeed, TMatrix* Centers, TIntVector* Classes,
                        TIntVector* ClustSize);
double kMeansClustering(const TMatrix* DataMat, Integer Unused1, Integer Unused2, Integer NumClust,
                        TMatrix* Centers, TIntVector* Classes);
// At least 20; the products a b and a c in 64 bits (negative products count as 0).
Integer kMeansEstimatedSteps(Integer a, Integer b, Integer c);

using TKnnDistFunc = std::function<double(Integer ObjectIndex)>;
// The k (at most 100) nearest of the objects FirstObj .. LastObj to Probe (or by DistFunc):
// rows 1 .. k of KNNList get the object index and the distance (KNNList is not resized).
void FindNearestNeighbors(Integer k, const TMatrix* DataMat, Integer FirstObj, Integer LastObj,
                          const TVector* Probe, TMatrix* KNNList,
                          const TKnnDistFunc& DistFunc = nullptr);
// Estimate of the target at Probe from its k nearest objects, weighted by WMode.
void EstimateByKNN(const TMatrix* DataMat, const TVector* TargetVec, Integer k, TKnnWMode WMode,
                   double Param, const TVector* Probe, double& Estimate, double& MeanDist);

// exp(-min(sum (x1_i - x2_i)^2 / Width^2, 20)) over the elements of x2 (the columns of Mat).
double CalcGaussKernel(const TVector* x1, const TVector* x2, double Width);
double CalcGaussKernelMat(const TVector* x, const TMatrix* Mat, Integer Row, double Width);

// Vertex component analysis: NumEndMem endmembers of the objects (rows). EndMembers gets
// NumEndMem columns x L rows, EndMemIx the object of each, ProjData n columns x L rows (the
// projected objects as columns). False when aborted. Clears AbortMathProc.
bool VertexCompAnalysis(const TMatrix* DataMat, Integer NumEndMem, bool PCAProjection,
                        TMatrix* EndMembers, TIntVector* EndMemIx, TMatrix* ProjData);
